#include "platform/database_win.h"

#include "platform/com_win.h"

namespace doumteo {

// The interfaces are implemented outside this program, so they must not have
// internal linkage: the compiler would take calls through them as calls that
// can never happen.
namespace ado {

// The older _Connection interface: the one every ADO version answers to (the
// newer IID is missing from some). Only the slots in use are named; the
// order is that of the interface, so the placeholders must stay.
inline constexpr IID kIidConnection = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

struct AdoRecordset : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE getProperties(void**) = 0;
  // AbsolutePosition .. Source (get/put pairs and putrefs), AddNew, CancelUpdate
  virtual HRESULT STDMETHODCALLTYPE unused1() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused2() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused3() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused4() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused5() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused6() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused7() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused8() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused9() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused11() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused12() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused13() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused14() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused15() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused16() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused17() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused18() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused19() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused20() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused21() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused22() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused23() = 0;
  virtual HRESULT STDMETHODCALLTYPE unused24() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

struct AdoConnection : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE getProperties(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE getConnectionString(BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE putConnectionString(BSTR) = 0;
  virtual HRESULT STDMETHODCALLTYPE getCommandTimeout(LONG*) = 0;
  virtual HRESULT STDMETHODCALLTYPE putCommandTimeout(LONG) = 0;
  virtual HRESULT STDMETHODCALLTYPE getConnectionTimeout(LONG*) = 0;
  virtual HRESULT STDMETHODCALLTYPE putConnectionTimeout(LONG) = 0;
  virtual HRESULT STDMETHODCALLTYPE getVersion(BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
  virtual HRESULT STDMETHODCALLTYPE Execute(BSTR commandText, VARIANT* recordsAffected, LONG options,
                                            AdoRecordset** recordset) = 0;
  virtual HRESULT STDMETHODCALLTYPE BeginTrans(LONG*) = 0;
  virtual HRESULT STDMETHODCALLTYPE CommitTrans() = 0;
  virtual HRESULT STDMETHODCALLTYPE RollbackTrans() = 0;
  virtual HRESULT STDMETHODCALLTYPE Open(BSTR connectionString, BSTR userId, BSTR password, LONG options) = 0;
  virtual HRESULT STDMETHODCALLTYPE getErrors(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE getDefaultDatabase(BSTR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE putDefaultDatabase(BSTR) = 0;
  virtual HRESULT STDMETHODCALLTYPE getIsolationLevel(LONG*) = 0;
  virtual HRESULT STDMETHODCALLTYPE putIsolationLevel(LONG) = 0;
  virtual HRESULT STDMETHODCALLTYPE getAttributes(LONG*) = 0;
  virtual HRESULT STDMETHODCALLTYPE putAttributes(LONG) = 0;
  virtual HRESULT STDMETHODCALLTYPE getCursorLocation(LONG*) = 0;
  virtual HRESULT STDMETHODCALLTYPE putCursorLocation(LONG) = 0;
};

}  // namespace ado

namespace {

using ado::AdoConnection;
using ado::AdoRecordset;

constexpr LONG kAdOptionUnspecified = -1;

class Win32DbConnection final : public DbConnection {
 public:
  explicit Win32DbConnection(ComPtr<AdoConnection> connection) : connection_(std::move(connection)) {}

  void setConnectionString(const std::wstring& text) override {
    const UniqueBstr value = com::allocBstr(text);
    com::check(connection_->putConnectionString(value.get()));
  }
  void setConnectionTimeout(long seconds) override { com::check(connection_->putConnectionTimeout(seconds)); }
  void setCursorLocation(long location) override { com::check(connection_->putCursorLocation(location)); }

  void open() override {
    const UniqueBstr empty = com::allocBstr(L"");
    com::check(connection_->Open(empty.get(), empty.get(), empty.get(), kAdOptionUnspecified));
  }

  void executeAndClose(const std::wstring& sql) override {
    const UniqueBstr command = com::allocBstr(sql);
    ComPtr<AdoRecordset> recordset;
    com::check(connection_->Execute(command.get(), nullptr, kAdOptionUnspecified, recordset.put()));
    if (recordset) com::check(recordset->Close());
  }

 private:
  ComPtr<AdoConnection> connection_;
};

}  // namespace

std::unique_ptr<DbConnection> Win32DatabasePort::createConnection() {
  ComPtr<IUnknown> object = com::createByProgId(L"ADODB.Connection", CLSCTX_INPROC_SERVER);
  ComPtr<AdoConnection> connection;
  com::check(object->QueryInterface(ado::kIidConnection, connection.putVoid()));
  return std::make_unique<Win32DbConnection>(std::move(connection));
}

}  // namespace doumteo
