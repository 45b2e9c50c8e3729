// The viewer engine: loading, pages, keys, scroll bars, the wheel, resizes, painting, drops.
#include "imaging/errors/ResultCodes.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerTestSupport.h"

#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <memory>

using namespace tolvane;

class ViewerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<TViewer> viewer;
    std::string threePages;

    // A fax of fine pages of the given width and height.
    std::string Fax(const std::string& name, int pages, int width, int rows) {
        const std::string file = dir->File(name);
        test::WriteNumberedFax(file, pages, width, rows);
        return file;
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(viewer.get(), static_cast<Qt::Key>(key), modifiers);
    }
    QImage Screen() { return viewer->viewport()->grab().toImage(); }
    bool BlackAt(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        threePages = Fax("three.apf", 3, 1728, 600);
        viewer = std::make_unique<TViewer>(nullptr, TDroppedFiles::Accept);
        viewer->resize(400, 300);
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    }
    void cleanup() {
        viewer.reset();
        dir.reset();
    }

    void loadShowsPageOneAtOneToOneFromItsTopLeft() {
        viewer->dwViewSetScale({1, 2, 1, 2});
        QSignalSpy prepared(viewer.get(), &TViewer::PagePrepared);
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        QCOMPARE(viewer->dwViewGetCurPage(), 1u);
        QCOMPARE(viewer->dwViewGetNumPages(), 3u);
        QVERIFY(viewer->Scale() == TViewScale{});
        QCOMPARE(viewer->ScaledWidth(), 1728);
        QCOMPARE(viewer->ScaledHeight(), 600);
        QCOMPARE(viewer->HorizontalPosition(), 0);
        QCOMPARE(viewer->VerticalPosition(), 0);
        QCOMPARE(prepared.count(), 1);
        QCOMPARE(prepared.at(0).at(0).toUInt(), 1u);
        QCOMPARE(viewer->dwViewGetPageDim(), QRect(QPoint(0, 0), QPoint(1727, 599)));
        // Page 1's block (20 pixels) is at the top left, black on white.
        const QImage screen = Screen();
        QVERIFY(BlackAt(screen, 5, 5));
        QVERIFY(!BlackAt(screen, 25, 5));
        QVERIFY(!BlackAt(screen, 5, 50));
    }

    void loadErrorsKeepThePreviousFax() {
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        QVERIFY(viewer->dwViewGotoPage(2) == ecOK);
        const std::string text = dir->File("not-a-fax.apf");
        test::WriteAll(text, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
        struct Case {
            std::string name;
            int code;
        };
        const Case cases[] = {
            {dir->File("missing.apf"), ecFileNotFound},
            {dir->Path().string(), ecFileNotFound}, // a folder
            {text, ecFaxBadFormat},
        };
        for (const auto& c : cases) {
            QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(c.name)), c.code);
            QCOMPARE(viewer->dwViewGetCurPage(), 2u);
            QCOMPARE(viewer->FileName(), QString::fromStdString(threePages));
        }
        QVERIFY(BlackAt(Screen(), 35, 5)); // page 2 is still shown
    }

    void emptyNameUnloadsAndShowsBackground() {
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        QCOMPARE(viewer->dwViewSetFile({}), ecOK);
        QCOMPARE(viewer->dwViewGetCurPage(), 0u);
        QCOMPARE(viewer->dwViewGetNumPages(), 0u);
        QCOMPARE(viewer->dwViewGetPageDim(), QRect(QPoint(0, 0), QPoint(0, 0)));
        const QImage screen = Screen();
        QVERIFY(!BlackAt(screen, 5, 5));
        QCOMPARE(screen.pixel(5, 5), QColor(Qt::white).rgb());
        QVERIFY(!viewer->horizontalScrollBar()->isVisible());
    }

    void goingToPageZeroOrPastTheEndFailsAndToTheSamePageReturnsToTheTopLeft() {
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        QCOMPARE(viewer->dwViewGotoPage(0), ecBadArgument);
        QCOMPARE(viewer->dwViewGotoPage(4), ecBadArgument);
        Key(Qt::Key_Down);
        Key(Qt::Key_Right);
        QCOMPARE(viewer->VerticalPosition(), 8);
        QSignalSpy prepared(viewer.get(), &TViewer::PagePrepared);
        QCOMPARE(viewer->dwViewGotoPage(1), ecOK);
        QCOMPARE(prepared.count(), 1);
        QCOMPARE(viewer->VerticalPosition(), 0);
        QCOMPARE(viewer->HorizontalPosition(), 0);
    }

    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("horizontal");
        QTest::addColumn<int>("vertical");
        // From page 2, scrolled to (40, 40); the page is 1728 x 600, larger than the view both
        // ways. -1: the maximum.
        QTest::newRow("PageDown") << int(Qt::Key_PageDown) << false << 3 << 0 << 0;
        QTest::newRow("PageUp") << int(Qt::Key_PageUp) << false << 1 << 0 << 0;
        QTest::newRow("Ctrl+End") << int(Qt::Key_End) << true << 3 << 0 << 0;
        QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << true << 1 << 0 << 0;
        QTest::newRow("Down") << int(Qt::Key_Down) << false << 2 << 40 << 48;
        QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << true << 2 << 40 << 120;
        QTest::newRow("Up") << int(Qt::Key_Up) << false << 2 << 40 << 32;
        QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << true << 2 << 40 << 0;
        QTest::newRow("Right") << int(Qt::Key_Right) << false << 2 << 48 << 40;
        QTest::newRow("Ctrl+Right") << int(Qt::Key_Right) << true << 2 << 120 << 40;
        QTest::newRow("Left") << int(Qt::Key_Left) << false << 2 << 32 << 40;
        QTest::newRow("End") << int(Qt::Key_End) << false << 2 << -1 << 40;
        QTest::newRow("Home") << int(Qt::Key_Home) << false << 2 << 0 << 40;
        QTest::newRow("Ctrl+PageDown") << int(Qt::Key_PageDown) << true << 2 << 40 << -1;
        QTest::newRow("Ctrl+PageUp") << int(Qt::Key_PageUp) << true << 2 << 40 << 0;
    }

    void keys() {
        QFETCH(int, key);
        QFETCH(bool, ctrl);
        QFETCH(int, page);
        QFETCH(int, horizontal);
        QFETCH(int, vertical);
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        QCOMPARE(viewer->dwViewGotoPage(2), ecOK);
        QCoreApplication::processEvents();
        for (int i = 0; i < 5; ++i) {
            Key(Qt::Key_Down);
            Key(Qt::Key_Right);
        }
        QCOMPARE(viewer->VerticalPosition(), 40);
        Key(key, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(int(viewer->dwViewGetCurPage()), page);
        QCOMPARE(viewer->HorizontalPosition(),
                 horizontal < 0 ? 1728 - viewer->viewport()->width() : horizontal);
        QCOMPARE(viewer->VerticalPosition(), vertical < 0 ? 600 - viewer->viewport()->height() : vertical);
    }

    void ctrlHomeOnPageOneScrollsHomeWithoutPreparingThePage() {
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        Key(Qt::Key_Down);
        Key(Qt::Key_Right);
        QSignalSpy prepared(viewer.get(), &TViewer::PagePrepared);
        Key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(prepared.count(), 0);
        QCOMPARE(viewer->HorizontalPosition(), 0);
        QCOMPARE(viewer->VerticalPosition(), 0);
        // On a one-page fax the last page is the first: Ctrl+End homes as well.
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(Fax("one.apf", 1, 1728, 600))), ecOK);
        Key(Qt::Key_Down);
        prepared.clear();
        Key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(prepared.count(), 0);
        QCOMPARE(viewer->VerticalPosition(), 0);
    }

    void pageOnePixelWiderThanTheViewScrollsByOne() {
        viewer->resize(399, 300);
        QCoreApplication::processEvents();
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(Fax("narrow.apf", 1, 400, 100))), ecOK);
        QCoreApplication::processEvents();
        QCOMPARE(viewer->ScaledWidth(), 400);
        QCOMPARE(viewer->viewport()->width(), 399);
        QCOMPARE(viewer->HorizontalMaximum(), 1);
        QVERIFY(viewer->horizontalScrollBar()->isVisible());
        QVERIFY(!viewer->verticalScrollBar()->isVisible());
        Key(Qt::Key_End);
        QCOMPARE(viewer->HorizontalPosition(), 1);
        // Narrower than the view: no horizontal scroll bar.
        viewer->resize(420, 300);
        QCoreApplication::processEvents();
        QCOMPARE(viewer->dwViewGotoPage(1), ecOK);
        QCoreApplication::processEvents();
        QCOMPARE(viewer->HorizontalMaximum(), 0);
        QVERIFY(!viewer->horizontalScrollBar()->isVisible());
    }

    void resizeThatShowsAScrollBarIsHandledAfterwards() {
        viewer->resize(500, 400);
        QCoreApplication::processEvents();
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(Fax("mid.apf", 1, 480, 380))), ecOK);
        QCoreApplication::processEvents();
        QVERIFY(!viewer->horizontalScrollBar()->isVisible());
        QVERIFY(!viewer->verticalScrollBar()->isVisible());
        // Narrower than the page: the horizontal bar appears and takes height, so the page no
        // longer fits vertically either; both ranges follow the final view size.
        viewer->resize(400, 390);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(viewer->horizontalScrollBar()->isVisible());
        QVERIFY(viewer->verticalScrollBar()->isVisible());
        QCOMPARE(viewer->HorizontalMaximum(), 480 - viewer->viewport()->width());
        QCOMPARE(viewer->VerticalMaximum(), 380 - viewer->viewport()->height());
        QCOMPARE(viewer->horizontalScrollBar()->maximum(), viewer->HorizontalMaximum());
    }

    void equalFactorsAreOneToOne() {
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        viewer->dwViewSetScale({3, 3, 1, 2});
        QVERIFY(viewer->Scale() == (TViewScale{1, 1, 1, 2}));
        QCOMPARE(viewer->ScaledWidth(), 1728);
        QCOMPARE(viewer->ScaledHeight(), 300);
    }

    void reducedViewKeepsThinBlackLines() {
        // A one-pixel column at x = 1727 and page 1's 20-pixel block.
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(Fax("thin.apf", 1, 1728, 600))), ecOK);
        viewer->dwViewSetScale({1, 8, 1, 8});
        QCoreApplication::processEvents();
        QCOMPARE(viewer->ScaledWidth(), 216);
        const QImage screen = Screen();
        QVERIFY(BlackAt(screen, 215, 50)); // the column survives at an eighth
        // The block covers raster columns 0 to 19: displayed pixel 2 (columns 16 to 23) keeps
        // its black.
        QVERIFY(BlackAt(screen, 2, 1));
        QVERIFY(!BlackAt(screen, 3, 1));
        QCOMPARE(screen.pixel(250, 50), QColor(Qt::white).rgb()); // right of the page
    }

    void wholeFaxModeHoldsEveryPage() {
        viewer->dwViewSetLoadWholeFax(true);
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        QCOMPARE(viewer->HeldPages(), 3);
        viewer->dwViewSetLoadWholeFax(false);
        QCOMPARE(viewer->HeldPages(), 1);
        Key(Qt::Key_PageDown);
        QCOMPARE(viewer->HeldPages(), 1);
        viewer->dwViewSetLoadWholeFax(true);
        QCOMPARE(viewer->HeldPages(), 3);
        MonoBitmap bitmap;
        QVERIFY(viewer->dwViewGetBitmap(3, bitmap));
        QCOMPARE(bitmap.Width(), 1728);
        QVERIFY(bitmap.IsBlack(59, 0) && !bitmap.IsBlack(60, 0)); // page 3's block
        QVERIFY(!viewer->dwViewGetBitmap(4, bitmap));
    }

    void scrollBarClicksAndTheWheel() {
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        QCoreApplication::processEvents();
        QScrollBar* bar = viewer->verticalScrollBar();
        QVERIFY(bar->isVisible());
        // The arrow at the bottom: one step; the groove under the thumb: ten steps.
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 3));
        QCOMPARE(viewer->VerticalPosition(), 8);
        QCOMPARE(bar->value(), 8);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 25));
        QCOMPARE(viewer->VerticalPosition(), 88);
        QCOMPARE(bar->value(), 88);
        // One notch of the wheel towards the user: three steps down.
        QWheelEvent wheel(QPointF(50, 50), viewer->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewer->viewport(), &wheel);
        QCOMPARE(viewer->VerticalPosition(), 112);
        QCOMPARE(bar->value(), 112);
        // The painted content moved with the positions: the block is out of view.
        QVERIFY(!BlackAt(Screen(), 5, 5));
    }

    void damagedLaterPageIsReportedAndUnloadsTheFile() {
        const std::string name = Fax("damaged.apf", 2, 1728, 300);
        std::filesystem::resize_file(name, std::filesystem::file_size(name) - 30);
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(name)), ecOK);
        QSignalSpy errors(viewer.get(), &TViewer::PageError);
        Key(Qt::Key_PageDown);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toInt(), ecFaxBadFormat);
        QCOMPARE(viewer->dwViewGetCurPage(), 0u);
        QCOMPARE(viewer->dwViewGetNumPages(), 0u);
    }

    void pageChangesFromThePageHandlerAreIgnored() {
        QCOMPARE(viewer->dwViewSetFile(QString::fromStdString(threePages)), ecOK);
        int result = -1;
        connect(viewer.get(), &TViewer::PagePrepared, this, [&] {
            QVERIFY(TViewer::Busy());
            result = viewer->dwViewGotoPage(3);
        });
        Key(Qt::Key_PageDown);
        QCOMPARE(result, ecOK);
        QCOMPARE(viewer->dwViewGetCurPage(), 2u);
        QVERIFY(!TViewer::Busy());
    }

    void droppedFileIsLoaded() {
        QSignalSpy dropped(viewer.get(), &TViewer::FilesDropped);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(threePages)),
                      QUrl::fromLocalFile(QStringLiteral("/ignored.apf"))});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewer->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewer->viewport(), &drop);
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(viewer->FileName(), QString::fromStdString(threePages));
        QCOMPARE(viewer->dwViewGetNumPages(), 3u);
    }

    void designModeShowsItsText() {
        viewer->dwViewSetDesignMode(QStringLiteral("Fax viewer"));
        const QImage screen = Screen();
        int dark = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 100; ++x) {
                dark += BlackAt(screen, x, y);
            }
        }
        QVERIFY(dark > 20);
    }
};

QTEST_MAIN(ViewerTest)
#include "Viewer_test.moc"
