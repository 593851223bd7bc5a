#pragma once
#include "common/product_profile.h"
#include "platform/ports.h"

namespace doumteo {

// FrmMain.IsProductRunning: always reminds the user to close the maker's
// programs, then refuses (true) while the product's executable runs.
bool IsProductRunning(const Services& services, const ProductProfile& profile);

}  // namespace doumteo
