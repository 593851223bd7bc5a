#pragma once
// The reader of the program's own snapshot files, for putting them back. It
// trusts nothing in the folder: a file is taken only when it is exactly what
// the snapshot step writes, and every key it names lies in a settings area
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>. Anything
// else refuses the whole file.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "registry/snapshot.h"

namespace doumteo {

// Larger files are refused before they are read.
inline constexpr std::size_t kSnapshotFileLimit = 64u * 1024u * 1024u;

struct SnapshotRead {
  // Set when the file was taken: every area first removed, then its keys in
  // pre-order, each after its parent.
  std::optional<RegExport> content;
  // Why it was not, in words for the user, and the line (1 = the header;
  // 0 when the file as a whole is wrong).
  std::wstring refusal;
  std::size_t line = 0;
};

SnapshotRead readSnapshotText(const std::wstring& text);
// The bytes of a .reg file: UTF-16LE with a byte order mark.
SnapshotRead readSnapshotFile(const std::string& bytes);

// The application of an area path (HKEY_CURRENT_USER\<settings root>\<app>,
// the root's letters in any case); nullopt for any other path.
std::optional<std::wstring> areaApplication(const std::wstring& path);
// The applications whose areas a snapshot removes and writes back, in order.
std::vector<std::wstring> snapshotApplications(const RegExport& content);

}  // namespace doumteo
