// TAbstractFaxStatus: the contract of a transfer status display. The component linked to it
// calls UpdateDisplay on every status report (before OnFaxStatus), on the application's thread;
// the display reads what it shows from the public properties of its Fax.
#pragma once

#include "imaging/errors/Component.h"

namespace tolvane {

class TCustomAbstractFax;

enum class TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter };

class TAbstractFaxStatus : public TComponent {
public:
    ~TAbstractFaxStatus() override;

    // First: the first report of a session (open the display); Last: the last one (close it).
    virtual void UpdateDisplay(bool first, bool last) = 0;

    TPosition Position() const { return position_; }
    void SetPosition(TPosition position);
    bool Ctl3D() const { return ctl3d_; }
    void SetCtl3D(bool ctl3d);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    TCustomAbstractFax* Fax() const { return fax_; }
    // Links this display to the component (taking it from another one it was linked to).
    void SetFax(TCustomAbstractFax* fax);

protected:
    // A concrete display builds its window in CreateDisplay (called by its constructor) and
    // removes it in DestroyDisplay (called by its destructor).
    virtual void CreateDisplay() = 0;
    virtual void DestroyDisplay() = 0;
    // Position, Ctl3D or Visible changed: a display whose window exists passes them on to it.
    virtual void PropertiesChanged() = 0;
    // After CreateDisplay the display reads the window's values back with this.
    void StoreFromDisplay(TPosition position, bool ctl3d, bool visible);

private:
    friend class TCustomAbstractFax;
    TPosition position_ = TPosition::poScreenCenter;
    bool ctl3d_ = true;
    bool visible_ = false;
    TCustomAbstractFax* fax_ = nullptr;
};

} // namespace tolvane
