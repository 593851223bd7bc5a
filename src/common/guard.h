#pragma once
#include <optional>
#include <string>

#include "common/product_profile.h"
#include "platform/ports.h"

namespace doumteo {

// FrmMain.IsProductRunning: always reminds the user to close the maker's
// programs, then refuses (true) while the product's executable runs.
bool IsProductRunning(const Services& services, const ProductProfile& profile);
// The check behind it, without a word: nullopt when no snapshot of the
// processes could be taken.
std::optional<bool> productRunsNow(ProcessListPort& processes, const ProductProfile& profile);
// The warning it always shows first.
std::wstring guardReminder();
// "<company>의 모든 프로그램을 종료하여 주십시요."
std::wstring closeAllReminder();

}  // namespace doumteo
