// Base of the non-visual components (converter, unpacker, fax sessions, printer).
#pragma once

namespace tolvane {

class TComponent {
public:
    virtual ~TComponent() = default;

    // While a component is being restored from stored settings its operations return
    // error codes instead of raising them.
    bool Loading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }

private:
    bool loading_ = false;
};

} // namespace tolvane
