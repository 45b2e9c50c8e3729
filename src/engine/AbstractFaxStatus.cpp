#include "engine/AbstractFaxStatus.h"

#include "engine/CustomAbstractFax.h"

namespace tolvane {

TAbstractFaxStatus::~TAbstractFaxStatus() {
    if (fax_ != nullptr) {
        fax_->SetStatusDisplay(nullptr);
    }
}

void TAbstractFaxStatus::SetFax(TCustomAbstractFax* fax) {
    if (fax != nullptr) {
        fax->SetStatusDisplay(this);
    } else if (fax_ != nullptr) {
        fax_->SetStatusDisplay(nullptr);
    }
}

void TAbstractFaxStatus::SetPosition(TPosition position) {
    position_ = position;
    PropertiesChanged();
}

void TAbstractFaxStatus::SetCtl3D(bool ctl3d) {
    ctl3d_ = ctl3d;
    PropertiesChanged();
}

void TAbstractFaxStatus::SetVisible(bool visible) {
    visible_ = visible;
    PropertiesChanged();
}

void TAbstractFaxStatus::StoreFromDisplay(TPosition position, bool ctl3d, bool visible) {
    position_ = position;
    ctl3d_ = ctl3d;
    visible_ = visible;
}

} // namespace tolvane
