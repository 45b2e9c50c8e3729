// The user's way to paper: the viewer window's Print button sends the fax to a real CUPS queue
// (a private server with a cups-pdf queue), and the PDF that comes out is checked.
#include "printing/PdfPeer.h"
#include "viewer/FaxViewer.h"
#include "viewer/PrivateCups.h"
#include "viewer/ViewerTestSupport.h"

#include <QPrinterInfo>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace tolvane;

class ViewerPrintCupsTest : public QObject {
    Q_OBJECT

private:
    test::PrivateCups cups;
    std::unique_ptr<test::TempDir> dir;

private slots:
    void initTestCase() {
        QString reason;
        if (!cups.Start(reason)) {
            QSKIP(qPrintable(QStringLiteral("no private CUPS server: ") + reason));
        }
        // Before anything in this process asks CUPS for its printers.
        qputenv("CUPS_SERVER", cups.Socket().toLocal8Bit());
        dir = std::make_unique<test::TempDir>();
    }

    void printButtonPrintsToTheQueue() {
        QVERIFY(QPrinterInfo::availablePrinterNames().contains(QLatin1String(test::PrivateCups::kQueue)));
        const std::string fax = dir->File("received.apf");
        test::WriteFax(fax, test::FramedRaster(1728, 2156, 24), 4);

        TFaxViewer window;
        window.SetFileToShow(QString::fromStdString(fax));
        window.FaxPrinter()->FaxHeader().Caption = QStringLiteral("+1 555 0100 - Quarterly figures");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.Printbutton->isEnabled());
        QVERIFY(window.PrinterSetupButton->isEnabled());
        QCOMPARE(window.FaxPrinter()->Printer().printerName(), QLatin1String(test::PrivateCups::kQueue));
        QTest::mouseClick(window.Printbutton, Qt::LeftButton);

        const QString pdf = cups.WaitForOutput(60000);
        QVERIFY2(!pdf.isEmpty(), qPrintable(cups.ErrorLog()));
        const auto info = test::ReadPdfInfo(pdf.toStdString());
        QVERIFY(info);
        QCOMPARE(info->pages, 4);
        for (int page = 1; page <= 4; ++page) {
            const std::string text = test::PdfText(pdf.toStdString(), page);
            QVERIFY2(text.find("+1 555 0100 - Quarterly figures") != std::string::npos, text.c_str());
            QVERIFY2(text.find("Page: " + std::to_string(page) + " of 4") != std::string::npos, text.c_str());
        }
        // The framed page spans 93 % of the width of the header line above it.
        const auto g = test::RasterisePdfPage(pdf.toStdString(), 1, 100);
        QVERIFY(g);
        const auto header = test::WidestRow(*g, 0, g->height / 4);
        QVERIFY(header.y >= 0);
        const auto sides = test::RowEnds(*g, g->height / 2);
        const double areaWidth = header.right - header.left + 1;
        QVERIFY(std::abs(sides.left - header.left) <= 1);
        QVERIFY2(std::abs((sides.right - sides.left + 1) - 0.93 * areaWidth) <= 3.0,
                 qPrintable(QStringLiteral("%1..%2 under %3..%4")
                                .arg(sides.left)
                                .arg(sides.right)
                                .arg(header.left)
                                .arg(header.right)));
    }

    void cleanupTestCase() { cups.Stop(); }
};

QTEST_MAIN(ViewerPrintCupsTest)
#include "ViewerPrintCups_test.moc"
