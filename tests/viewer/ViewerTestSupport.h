// Support for the viewer window tests: fax files with recognisable pages, and a catcher for the
// message boxes a window opens.
#pragma once

#include "printing/FaxFileMaker.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <string>
#include <vector>

namespace tolvane::test {

// A page whose content reaches column width - 1 (a 2-pixel edge, so that its bitmap keeps the
// width also when packed to half width) with a black block marking its number: block n is
// n * 20 pixels wide at the top left.
inline Raster NumberedRaster(int width, int rows, int number) {
    Raster r = WhiteRaster(1728, rows);
    FillRect(r, width - 2, 0, width, rows);
    FillRect(r, 0, 0, 20 * number, 10);
    return r;
}

// A fax of `count` numbered fine pages of the given width.
inline void WriteNumberedFax(const std::string& name, int count, int width = 1728, int rows = 300) {
    std::vector<TestPage> pages;
    for (int n = 1; n <= count; ++n) {
        pages.push_back(EncodedPage(NumberedRaster(width, rows, n), apfFineResolution));
    }
    WriteApf(name, pages);
}

// Answers every message box that opens with OK and keeps its text.
class MessageBoxCatcher {
public:
    MessageBoxCatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts_ << box->text();
                box->accept();
            }
        });
        timer_.start(5);
    }
    const QStringList& Texts() const { return texts_; }

private:
    QTimer timer_;
    QStringList texts_;
};

} // namespace tolvane::test
