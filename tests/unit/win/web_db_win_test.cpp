#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "app/db_check.h"
#include "common/web_page.h"
#include "fakes/fakes.h"
#include "platform/browser_win.h"
#include "platform/com_win.h"
#include "platform/database_win.h"
#include "platform/registry_api_win.h"

namespace doumteo {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

class ComTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    initialised_ = true;
  }
  void TearDown() override {
    if (initialised_) CoUninitialize();
  }
  // The fakes, with the given adapters in place of the browser and database.
  Services with(BrowserPort& browser, DatabasePort& database) {
    return Services{env.messages, env.registry, env.settings, env.shell, env.processes,
                    env.files,    env.clock,    browser,      database};
  }
  fakes::FakeEnv env;

 private:
  bool initialised_ = false;
};

using DbWinTest = ComTest;

TEST_F(DbWinTest, AdapterReportsEachRefusedStepWithItsHResult) {
  Win32DatabasePort port;
  const std::unique_ptr<DbConnection> connection = port.createConnection();
  connection->setConnectionString(productConnectionString(L"C:\\nowhere\\missing.mdb"));
  // Wine's ADO does not implement ConnectionTimeout; Windows' does.
  try {
    connection->setConnectionTimeout(30);
  } catch (const Failure& f) {
    EXPECT_EQ(static_cast<HRESULT>(f.number), E_NOTIMPL);
  }
  connection->setCursorLocation(3);
  try {
    connection->open();
    FAIL() << "opened without a Jet provider";
  } catch (const Failure& f) {
    EXPECT_LT(f.number, 0) << "an HRESULT";
    EXPECT_FALSE(f.description.empty());
  }
  const std::unique_ptr<DbConnection> other = port.createConnection();
  other->setConnectionString(L"Provider=No.Such.Provider;Data Source=x");
  EXPECT_THROW(other->open(), Failure);
  // A closed connection runs no query: adErrObjectClosed.
  try {
    other->executeAndClose(L"SELECT * FROM T");
    FAIL() << "query ran on a closed connection";
  } catch (const Failure& f) {
    EXPECT_EQ(static_cast<HRESULT>(f.number), static_cast<HRESULT>(0x800A0E78));
  }
}

TEST_F(DbWinTest, MissingProviderFileOrTableIsOneQuickFailure) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring notADatabase = std::wstring(temp) + L"doumteo-web-test.mdb";
  std::ofstream(notADatabase.c_str()) << "not a database";

  Win32DatabasePort database;
  fakes::FakeBrowser browser(env.log);
  const Services services = with(browser, database);
  struct Case {
    const wchar_t* what;
    std::wstring file, table;
  };
  const Case cases[] = {
      {L"missing file", L"C:\\nowhere\\missing.mdb", L"T"},
      {L"not a database, empty table name", notADatabase, L""},
      {L"existing file", notADatabase, L"T"},
  };
  DbState state;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    env.messages.shown.clear();
    const auto start = Clock::now();
    EXPECT_FALSE(OpenProductDb(services, state, c.file, c.table));
    const double took = secondsSince(start);
    std::printf("%ls: %.3f s\n", c.what, took);
    EXPECT_LT(took, 5.0);
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].text, kMdacMissingMessage);
    EXPECT_EQ(state.lastDbFile, c.file);
  }
  state.dbConnection.reset();  // before COM goes
  DeleteFileW(notADatabase.c_str());
}

class MdacWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\DoumteoTest-web-" + std::to_string(GetCurrentProcessId());
    if (api.createKey(reg::kHkeyLocalMachine, path_, key_) != reg::kSuccess)
      GTEST_SKIP() << "HKEY_LOCAL_MACHINE is not writable here";
  }
  void TearDown() override {
    if (key_) api.closeKey(key_);
    if (!path_.empty()) api.deleteKey(reg::kHkeyLocalMachine, path_);
  }
  void put(const std::string& name, const std::string& text) {
    ASSERT_EQ(api.setValue(key_, name, reg::kSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                           static_cast<std::uint32_t>(text.size() + 1)),
              reg::kSuccess);
  }
  bool read(const std::string& name, std::wstring& out) {
    std::wstring buffer(255, L' ');
    if (!ReadMachineString(api, std::wstring(path_.begin(), path_.end()), std::wstring(name.begin(), name.end()),
                           buffer))
      return false;
    out = buffer.substr(0, buffer.find(L'\0'));
    return true;
  }
  Win32RegistryApi api;
  std::string path_;
  RegHandle key_ = 0;
};

TEST_F(MdacWinTest, ReadMachineStringReadsWhatWasWrittenAndRefusesLongerThanTheBuffer) {
  put("FullInstallVer", "2.81.1117.6");
  std::wstring value;
  ASSERT_TRUE(read("FullInstallVer", value));
  EXPECT_EQ(value, L"2.81.1117.6");

  put("Fits", std::string(254, '9'));
  ASSERT_TRUE(read("Fits", value));
  EXPECT_EQ(value, std::wstring(254, L'9'));

  put("TooLong", std::string(255, '9'));
  EXPECT_FALSE(read("TooLong", value));
  EXPECT_FALSE(read("Missing", value));
}

TEST_F(MdacWinTest, KoreanTextCrossesTheAnsiBoundary) {
  // "버전" in code page 949.
  put("Name", "\xB9\xF6\xC0\xFC 2.8");
  std::wstring value;
  ASSERT_TRUE(read("Name", value));
  EXPECT_EQ(value, L"버전 2.8");
}

using WebWinTest = ComTest;

TEST_F(WebWinTest, BrowserObjectFailsFastAndTheShellGetsTheAddress) {
  Win32BrowserPort browser;
  fakes::FakeDatabase database(env.log);
  const auto start = Clock::now();
  try {
    browser.create();
    FAIL() << "the browser object was created; is ieframe= overridden?";
  } catch (const Failure& f) {
    // Which of the two depends on the prefix: one made with 32-bit Wine
    // installed beside wine64 reports the missing key.
    const auto hr = static_cast<HRESULT>(f.number);
    EXPECT_TRUE(hr == REGDB_E_CLASSNOTREG || hr == REGDB_E_KEYMISSING) << std::hex << hr;
  }
  const double took = secondsSince(start);
  std::printf("browser creation failed in %.3f s\n", took);
  EXPECT_LT(took, 1.0);

  OpenWebPage(with(browser, database), L"www.example.test/x");
  ASSERT_EQ(env.shell.opened.size(), 1u);
  EXPECT_EQ(env.shell.opened[0].file, L"www.example.test/x");
}

TEST_F(WebWinTest, MembersTheObjectLacksFailWithTheDispatchError) {
  // Any automation object goes through the same late-bound path.
  Win32BrowserPort port(L"Scripting.Dictionary");
  const std::unique_ptr<BrowserObject> object = port.create();
  for (const auto& call : {+[](BrowserObject& o) { o.setVisible(true); }, +[](BrowserObject& o) { o.setFocus(); },
                           +[](BrowserObject& o) { o.navigate(L"www.example.test"); }}) {
    try {
      call(*object);
      ADD_FAILURE() << "member found";
    } catch (const Failure& f) {
      EXPECT_EQ(static_cast<HRESULT>(f.number), DISP_E_UNKNOWNNAME);
    }
  }
}

TEST_F(WebWinTest, InvokeByNamePassesArgumentsInOrderAndReportsExceptions) {
  ComPtr<IUnknown> unknown = com::createByProgId(L"Scripting.Dictionary", CLSCTX_INPROC_SERVER);
  ComPtr<IDispatch> dictionary;
  ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, dictionary.putVoid()), S_OK);

  VARIANT textMode{};
  textMode.vt = VT_I4;
  textMode.lVal = 1;
  com::invokeByName(dictionary.get(), L"CompareMode", DISPATCH_PROPERTYPUT, {textMode});

  const UniqueBstr key = com::allocBstr(L"Key"), item = com::allocBstr(L"항목");
  VARIANT k{}, v{};
  k.vt = VT_BSTR;
  k.bstrVal = key.get();
  v.vt = VT_BSTR;
  v.bstrVal = item.get();
  com::invokeByName(dictionary.get(), L"Add", DISPATCH_METHOD, {k, v});

  // Text compare mode: the key is found in another letter case.
  const UniqueBstr lower = com::allocBstr(L"key");
  VARIANT probe{};
  probe.vt = VT_BSTR;
  probe.bstrVal = lower.get();
  VARIANT found{};
  com::invokeByName(dictionary.get(), L"Item", DISPATCH_PROPERTYGET, {probe}, &found);
  ASSERT_EQ(found.vt, VT_BSTR);
  EXPECT_STREQ(found.bstrVal, L"항목");
  VariantClear(&found);

  // Adding the same key again is refused by the object.
  EXPECT_THROW(com::invokeByName(dictionary.get(), L"Add", DISPATCH_METHOD, {k, v}), Failure);
}

}  // namespace
}  // namespace doumteo
