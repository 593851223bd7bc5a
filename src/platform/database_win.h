#pragma once
// ADO connections (ADODB.Connection) through its early-bound interface.
#include "platform/ports.h"

namespace doumteo {

class Win32DatabasePort final : public DatabasePort {
 public:
  std::unique_ptr<DbConnection> createConnection() override;
};

}  // namespace doumteo
