// The index-rebuild window: packs every table (removing records marked as deleted for good) and
// builds its index tag again, showing what it does and a percentage gauge.
#pragma once

#include "platform/xbase/XbTable.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace tolvane {

class TMainScreen;

class TRebuildInd : public QDialog {
    Q_OBJECT
public:
    TRebuildInd(TMainScreen& main, QWidget* parent = nullptr);

    QProgressBar* Gauge() const { return gauge_; }
    QLabel* WhatAmIDoingLabel() const { return whatAmIDoing_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Step {
        const char* removing;   // text while packing
        const char* rebuilding; // text while the tag is built
        std::string tag;
        std::string key;
        XbDirection direction;
    };
    // Runs the whole rebuild once the window is on screen, then closes it.
    void FormActivate();
    void Rebuild(XbTable& table, const Step& step);
    void Progress(int percent);

    TMainScreen& main_;
    QProgressBar* gauge_;
    QLabel* whatAmIDoing_;
    bool started_ = false;
};

} // namespace tolvane
