// The viewer window: loading, the fitted zoom, zoom steps, page buttons, status panel, errors,
// printing to a PDF file, help and closing.
#include "printing/PdfPeer.h"
#include "viewer/FaxViewer.h"
#include "viewer/ViewerHooks.h"
#include "viewer/ViewerTestSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <memory>

using namespace tolvane;

class FaxViewerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<TFaxViewer> window;
    int beeps = 0;
    int helpTopic = 0;

    QString Fax(const std::string& name, int pages, int width = 1728, uint16_t flags = apfFineResolution) {
        const std::string file = dir->File(name);
        std::vector<test::TestPage> list;
        for (int n = 1; n <= pages; ++n) {
            list.push_back(test::EncodedPage(test::NumberedRaster(width, 200, n), flags));
        }
        test::WriteApf(file, list);
        return QString::fromStdString(file);
    }
    // Opens the window on a file with the viewer `viewerWidth` pixels wide.
    void Open(const QString& file, int viewerWidth = 594) {
        window = std::make_unique<TFaxViewer>();
        window->resize(viewerWidth, 405);
        window->SetFileToShow(file);
        QCOMPARE(window->StatusPanel->text(), QStringLiteral("Loading..."));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->FaxViewer()->width(), viewerWidth);
    }
    void Click(QToolButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    TViewer* Engine() { return window->FaxViewer()->Viewer(); }

private slots:
    void initTestCase() {
        ViewerWindowHooks().Beep = [this] { ++beeps; };
        ViewerWindowHooks().ShowHelpTopic = [this](int topic) { helpTopic = topic; };
    }
    void init() { dir = std::make_unique<test::TempDir>(); }
    void cleanup() {
        window.reset();
        dir.reset();
    }

    void layout() {
        TFaxViewer fresh;
        QCOMPARE(fresh.windowTitle(), QStringLiteral("Fax Viewer "));
        QCOMPARE(fresh.ZoomPercent(), 50);
        QCOMPARE(fresh.FaxPrinter()->Caption(), QStringLiteral("Fax Printer"));
        QCOMPARE(fresh.FaxPrinter()->FaxHeader().Caption, QStringLiteral("FILE: $F"));
        QCOMPARE(fresh.FaxPrinter()->FaxFooter().Caption, QStringLiteral("Page: $P of $N"));
        QCOMPARE(fresh.FaxPrinter()->StatusDisplay(), fresh.PrinterStatus());
        QVERIFY(fresh.FaxViewer()->AutoScaleMode() == TAutoScaleMode::asHalfWidth);
        QCOMPARE(fresh.FaxViewer()->BusyCursor(), Qt::WaitCursor);
        QCOMPARE(fresh.StatusPanel->width(), 168);
        QCOMPARE(fresh.ZoomInButton->toolTip(), QStringLiteral("Zoom in"));
        QCOMPARE(fresh.Helpbutton->statusTip(), QStringLiteral("Get Windows help for Fax Viewer"));
    }

    void fittedZoom_data() {
        QTest::addColumn<int>("viewerWidth");
        QTest::addColumn<int>("rasterWidth");
        QTest::addColumn<bool>("fine");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("shownWidth");
        // A normal page is packed to half width: 864 pixels; 594 / 864 x 150 = 103 -> 100.
        QTest::newRow("864 in 594") << 594 << 1728 << false << 100 << 864;
        // 594 / 1728 x 150 = 51 -> 40.
        QTest::newRow("1728 in 594") << 594 << 1728 << true << 40 << 691;
        QTest::newRow("narrower page") << 594 << 400 << true << 100 << 400;
        // 580 / 1728 x 150 = 50: the view is shown at the 50 % it reports.
        QTest::newRow("fitted 50") << 580 << 1728 << true << 50 << 864;
    }

    void fittedZoom() {
        QFETCH(int, viewerWidth);
        QFETCH(int, rasterWidth);
        QFETCH(bool, fine);
        QFETCH(int, zoom);
        QFETCH(int, shownWidth);
        Open(Fax("fax.apf", 1, rasterWidth, fine ? apfFineResolution : 0), viewerWidth);
        QCOMPARE(window->ZoomPercent(), zoom);
        QCOMPARE(Engine()->ScaledWidth(), shownWidth);
        QCOMPARE(window->StatusPanel->text(), QStringLiteral("Page 1 of 1"));
    }

    void zoomSteps_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("zoomIn");
        QTest::addColumn<int>("zoomOut");
        // 0: a beep and no change.
        QTest::newRow("20") << 20 << 40 << 0;
        QTest::newRow("43") << 43 << 60 << 26;
        QTest::newRow("50") << 50 << 60 << 40;
        QTest::newRow("100") << 100 << 120 << 80;
        QTest::newRow("200") << 200 << 220 << 180;
        QTest::newRow("220") << 220 << 0 << 200;
    }

    void zoomSteps() {
        QFETCH(int, from);
        QFETCH(int, zoomIn);
        QFETCH(int, zoomOut);
        Open(Fax("fax.apf", 1));
        for (const auto& [button, expected] :
             {std::pair{window->ZoomInButton, zoomIn}, {window->ZoomOutButton, zoomOut}}) {
            window->SetZoom(100);
            window->SetZoom(from);
            // The rule keeps 43 (not above 50); set it as the stored value the buttons start from.
            QCOMPARE(window->ZoomPercent(), from);
            const int before = beeps;
            Click(button);
            QCOMPARE(window->ZoomPercent(), expected ? expected : from);
            QCOMPARE(beeps, before + (expected ? 0 : 1));
            QCOMPARE(Engine()->ScaledWidth(), 1728 * window->ZoomPercent() / 100);
        }
    }

    void zoomRule() {
        Open(Fax("fax.apf", 1));
        window->SetZoom(155);
        QCOMPARE(window->ZoomPercent(), 140);
        window->SetZoom(7);
        QCOMPARE(window->ZoomPercent(), 20);
        window->SetZoom(100);
        QVERIFY(!window->FaxViewer()->Scaling());
        QVERIFY(Engine()->Scale() == TViewScale{});
    }

    void pageButtonsForOneAndTwoPages() {
        Open(Fax("one.apf", 1));
        for (auto* b : {window->FirstButton, window->PrevButton, window->NextButton, window->LastButton}) {
            QVERIFY(!b->isVisible());
        }
        Open(Fax("two.apf", 2));
        for (auto* b : {window->FirstButton, window->PrevButton, window->NextButton, window->LastButton}) {
            QVERIFY(b->isVisible());
        }
        Click(window->NextButton);
        QCOMPARE(window->FaxViewer()->ShownPage(), 2u);
        QCOMPARE(window->StatusPanel->text(), QStringLiteral("Page 2 of 2"));
        Click(window->NextButton); // on the last page: nothing
        QCOMPARE(window->FaxViewer()->ShownPage(), 2u);
        Click(window->FirstButton);
        QCOMPARE(window->StatusPanel->text(), QStringLiteral("Page 1 of 2"));
        Click(window->LastButton);
        QCOMPARE(window->FaxViewer()->ShownPage(), 2u);
        Click(window->PrevButton);
        QCOMPARE(window->FaxViewer()->ShownPage(), 1u);
        // The keys go to the viewer, which has the focus.
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(QApplication::focusWidget(), Engine());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QCOMPARE(window->StatusPanel->text(), QStringLiteral("Page 2 of 2"));
    }

    void fileThatCannotBeOpened() {
        test::MessageBoxCatcher boxes;
        Open(QString::fromStdString(dir->File("missing.apf")));
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Error opening fax file")});
        QCOMPARE(window->StatusPanel->text(), QStringLiteral("No file loaded"));
        QVERIFY(window->FaxViewer()->FileName().isEmpty());
        QVERIFY(!window->NextButton->isVisible());
    }

    void errorOnALaterPage() {
        const QString name = Fax("damaged.apf", 2);
        std::filesystem::resize_file(name.toStdString(), std::filesystem::file_size(name.toStdString()) - 30);
        test::MessageBoxCatcher boxes;
        Open(name);
        Click(window->NextButton);
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("Viewer error -8001")});
        QCOMPARE(window->StatusPanel->text(), QStringLiteral("No file loaded"));
        QVERIFY(!window->NextButton->isVisible());
    }

    void printsTheShownFileWithTheCallersHeader() {
        const QString fax = Fax("two.apf", 2);
        Open(fax);
        window->FaxPrinter()->FaxHeader().Caption = QStringLiteral("Jane Doe - Invoice 42");
        const std::string pdf = dir->File("out.pdf");
        window->FaxPrinter()->Printer().setOutputFormat(QPrinter::PdfFormat);
        window->FaxPrinter()->Printer().setOutputFileName(QString::fromStdString(pdf));
        window->Printbutton->setEnabled(true); // the machine may have no printer installed
        Click(window->Printbutton);
        const auto info = test::ReadPdfInfo(pdf);
        QVERIFY(info);
        QCOMPARE(info->pages, 2);
        const std::string text = test::PdfText(pdf, 2);
        QVERIFY2(text.find("Jane Doe - Invoice 42") != std::string::npos, text.c_str());
        QVERIFY2(text.find("Page: 2 of 2") != std::string::npos, text.c_str());
        QVERIFY(!window->PrinterStatus()->Window()->isVisible());
    }

    void hintsHelpAndClosing() {
        Open(Fax("one.apf", 1));
        QStatusTipEvent tip(window->Printbutton->statusTip());
        QCoreApplication::sendEvent(window->Printbutton, &tip);
        QCOMPARE(window->status->text(), QStringLiteral("Print"));
        Click(window->Helpbutton);
        QCOMPARE(helpTopic, kHelpFaxViewerTopic);
        QSignalSpy rejected(window.get(), &QDialog::rejected);
        QTest::keyClick(window.get(), Qt::Key_Return);
        QCOMPARE(rejected.count(), 1);
        window->show();
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QCOMPARE(rejected.count(), 2);
        window->show();
        Click(window->CloseButton);
        QCOMPARE(rejected.count(), 3);
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(FaxViewerTest)
#include "FaxViewer_test.moc"
