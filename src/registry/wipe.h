#pragma once
#include "common/product_profile.h"
#include "platform/ports.h"

namespace doumteo {

// FrmMain.btnReDelDB_MouseDown. button: 1 = left; shift: bit set of
// 1 = Shift, 2 = Ctrl, 4 = Alt. Shift alone with the left button wipes the
// product's whole settings area; Shift alone with another button does
// nothing; anything else wipes the database location and "CSType".
void btnReDelDB_MouseDown(const Services& services, const ProductProfile& profile, int button, int shift);

}  // namespace doumteo
