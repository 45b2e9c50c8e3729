// Marking with the mouse, the clipboard and rotation, in the engine and in the viewer window.
#include "imaging/errors/ResultCodes.h"
#include "viewer/FaxViewer.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerHooks.h"
#include "viewer/ViewerTestSupport.h"

#include <QClipboard>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace tolvane;

class MarkingTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<TViewer> viewer;
    QString threePages;

    QWidget* View() { return viewer->viewport(); }
    void Press(QPoint p) { QTest::mousePress(View(), Qt::LeftButton, {}, p); }
    void Move(QPoint p) { QTest::mouseMove(View(), p); }
    void Release(QPoint p) { QTest::mouseRelease(View(), Qt::LeftButton, {}, p); }
    QImage Screen() { return View()->grab().toImage(); }
    bool BlackAt(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        threePages = QString::fromStdString(dir->File("three.apf"));
        test::WriteNumberedFax(threePages.toStdString(), 3, 1728, 1104);
        viewer = std::make_unique<TViewer>();
        viewer->resize(400, 300);
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
        QCOMPARE(viewer->dwViewSetFile(threePages), ecOK);
        QCoreApplication::processEvents();
    }
    void cleanup() {
        viewer.reset();
        dir.reset();
    }

    void clickWithoutMoveRemovesTheMark() {
        Press({10, 10});
        Move({60, 40});
        Release({60, 40});
        QVERIFY(viewer->MarkPresent());
        QCOMPARE(viewer->Mark(), QRect(QPoint(10, 10), QPoint(60, 40)));
        Press({100, 100});
        Release({100, 100});
        QVERIFY(!viewer->MarkPresent());
    }

    void markShowsInverted() {
        // Page 1's block covers x 0..19, y 0..9: inside the mark it shows white, around it
        // the white page shows black.
        QVERIFY(BlackAt(Screen(), 5, 5));
        Press({2, 2});
        Move({40, 20});
        Release({40, 20});
        const QImage screen = Screen();
        QVERIFY(!BlackAt(screen, 5, 5));
        QVERIFY(BlackAt(screen, 30, 15));
        QVERIFY(!BlackAt(screen, 45, 15)); // outside the mark
    }

    void rightToLeftDragIsNormalisedAndTheCornerFollows() {
        Press({200, 150});
        Move({120, 100});
        QCOMPARE(viewer->Mark(), QRect(QPoint(120, 100), QPoint(200, 150)));
        Move({100, 180}); // the pointer's corner is now the left-bottom one
        QCOMPARE(viewer->Mark(), QRect(QPoint(100, 150), QPoint(200, 180)));
        Move({250, 90});
        Release({250, 90});
        QCOMPARE(viewer->Mark(), QRect(QPoint(200, 90), QPoint(250, 150)));
    }

    void dragBeyondTheRightEdgeStopsAtTheLastColumn() {
        viewer->dwViewSetScale({1, 5, 1, 5}); // 345 x 220: narrower than the view
        QCoreApplication::processEvents();
        Press({300, 50});
        Move({390, 60});
        Release({390, 60});
        QCOMPARE(viewer->Mark(), QRect(QPoint(300, 50), QPoint(viewer->ScaledWidth() - 1, 60)));
    }

    void autoScrollByOneAndTwoSteps() {
        viewer->dwViewSetScroll(8, 8);
        for (int i = 0; i < 20; ++i) {
            viewer->vScrollDown(); // to 160
        }
        QCOMPARE(viewer->VerticalPosition(), 160);
        Press({100, 100});
        Move({100, -10}); // 10 pixels above: one step at once
        QCOMPARE(viewer->VerticalPosition(), 152);
        QCOMPARE(viewer->Mark().top(), 152);
        Move({100, 50}); // back inside: the timer stops
        QTest::qWait(120);
        QCOMPARE(viewer->VerticalPosition(), 152);
        Move({100, -30}); // 30 pixels above: two steps at once, and every 50 ms
        QCOMPARE(viewer->VerticalPosition(), 136);
        QTRY_VERIFY_WITH_TIMEOUT(viewer->VerticalPosition() <= 136 - 32, 2000);
        QCOMPARE((136 - viewer->VerticalPosition()) % 16, 0);
        Release({100, -30});
        const int stopped = viewer->VerticalPosition();
        QTest::qWait(120);
        QCOMPARE(viewer->VerticalPosition(), stopped);
        QCOMPARE(viewer->Mark().top(), stopped);
        QCOMPARE(viewer->Mark().bottom(), 260);
    }

    void copiesTheMarkAtTheSizeShown() {
        QCOMPARE(viewer->dwViewCopy(), ecNoBlockMarked);
        Press({1, 1}); // (a null point would mean the middle of the view)
        Move({40, 20});
        Release({40, 20});
        QCOMPARE(viewer->dwViewCopy(), ecOK);
        QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(40, 20));
        QVERIFY(qGray(copied.pixel(5, 5)) < 128);  // the block, black
        QVERIFY(qGray(copied.pixel(30, 5)) > 128); // white
        QVERIFY(qGray(copied.pixel(5, 15)) > 128);
        // At 50 % the same mark on the screen covers twice the raster, copied as shown.
        viewer->dwViewSetScale({1, 2, 1, 2});
        Press({1, 1}); // (a null point would mean the middle of the view)
        Move({40, 20});
        Release({40, 20});
        QCOMPARE(viewer->dwViewCopy(), ecOK);
        copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(40, 20));
        QVERIFY(qGray(copied.pixel(8, 2)) < 128); // the block is 10 pixels wide now (from 1)
        QVERIFY(qGray(copied.pixel(10, 2)) > 128);
        QCOMPARE(viewer->dwViewSelectAll(), ecOK);
        QCOMPARE(viewer->Mark(), QRect(0, 0, 864, 552));
        viewer->dwViewSetFile({});
        QCOMPARE(viewer->dwViewCopy(), ecNoImageLoaded);
        QCOMPARE(viewer->dwViewSelectAll(), ecNoImageLoaded);
    }

    void selectClampsToThePage() {
        const QRect wide(QPoint(-5, 10), QPoint(5000, 20));
        QCOMPARE(viewer->dwViewSelect(&wide), ecOK);
        QCOMPARE(viewer->Mark(), QRect(QPoint(0, 10), QPoint(1727, 20)));
        QCOMPARE(viewer->dwViewSelect(nullptr), ecOK);
        QVERIFY(viewer->MarkPresent());
    }

    void rotatingAQuarterTurnAndBackRestoresThePage() {
        MonoBitmap before;
        QVERIFY(viewer->dwViewGetBitmap(1, before));
        QCOMPARE(viewer->dwViewSetRotation(1), ecOK);
        QCOMPARE(viewer->dwViewGetPageDim(), QRect(0, 0, 1104, 1728));
        MonoBitmap turned;
        QVERIFY(viewer->dwViewGetBitmap(1, turned));
        // The block at the top left is now at the top right, standing.
        QVERIFY(turned.IsBlack(1103, 0) && turned.IsBlack(1094, 19) && !turned.IsBlack(1093, 0));
        QCOMPARE(viewer->dwViewSetRotation(0), ecOK);
        MonoBitmap after;
        QVERIFY(viewer->dwViewGetBitmap(1, after));
        QCOMPARE(after.Width(), before.Width());
        QCOMPARE(after.Height(), before.Height());
        QVERIFY(after.Bits() == before.Bits());
        QCOMPARE(viewer->dwViewSetRotation(2), ecOK);
        QVERIFY(viewer->dwViewGetBitmap(1, turned));
        QVERIFY(turned.IsBlack(1727, 1103) && turned.IsBlack(1708, 1094) && !turned.IsBlack(1707, 1103));
    }

    void quarterTurnOf1728By1100() {
        const QString name = QString::fromStdString(dir->File("1100.apf"));
        test::WriteNumberedFax(name.toStdString(), 1, 1728, 1100);
        QCOMPARE(viewer->dwViewSetFile(name), ecOK);
        QCOMPARE(viewer->dwViewSetRotation(1), ecOK);
        QCOMPARE(viewer->dwViewGetPageDim(), QRect(0, 0, 1100, 1728));
        QCOMPARE(viewer->ScaledWidth(), 1100);
        // Turning back keeps every column of the 1100-pixel side.
        QCOMPARE(viewer->dwViewSetRotation(2), ecOK);
        QCOMPARE(viewer->dwViewGetPageDim(), QRect(0, 0, 1728, 1100));
        MonoBitmap turned;
        QVERIFY(viewer->dwViewGetBitmap(1, turned));
        QVERIFY(turned.IsBlack(1727, 1099) && turned.IsBlack(0, 0) && turned.IsBlack(1, 1099));
    }

    void pageByPageModeTurnsLaterPagesToo() {
        QCOMPARE(viewer->dwViewSetRotation(1), ecOK);
        QTest::keyClick(viewer.get(), Qt::Key_PageDown);
        QCOMPARE(viewer->dwViewGetCurPage(), 2u);
        QCOMPARE(viewer->dwViewGetPageDim(), QRect(0, 0, 1104, 1728));
        QCOMPARE(viewer->HeldPages(), 1);
        MonoBitmap page;
        QVERIFY(viewer->dwViewGetBitmap(2, page));
        QVERIFY(page.IsBlack(1103, 39) && !page.IsBlack(1103, 40)); // page 2's block, 40 long
        // Whole-fax mode turns every page at once.
        viewer->dwViewSetLoadWholeFax(true);
        QCOMPARE(viewer->dwViewSetRotation(0), ecOK);
        QVERIFY(viewer->dwViewGetBitmap(3, page));
        QCOMPARE(page.Width(), 1728);
        QVERIFY(page.IsBlack(59, 0) && !page.IsBlack(60, 0));
    }

    void viewerWindowCopyAndRotateCommands() {
        int beeps = 0;
        ViewerWindowHooks().Beep = [&] { ++beeps; };
        TFaxViewer window;
        window.SetFileToShow(threePages);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        TViewer* engine = window.FaxViewer()->Viewer();
        QCOMPARE(QApplication::focusWidget(), engine);
        QVERIFY(window.CopyButton->isVisible() && window.RotateLeftButton->isVisible());
        QTest::mouseClick(window.CopyButton, Qt::LeftButton); // nothing marked
        QCOMPARE(beeps, 1);
        QTest::mousePress(engine->viewport(), Qt::LeftButton, {}, {1, 1});
        QTest::mouseMove(engine->viewport(), {30, 10});
        QTest::mouseRelease(engine->viewport(), Qt::LeftButton, {}, {30, 10});
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(engine, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(30, 10));
        QTest::mouseClick(window.RotateRightButton, Qt::LeftButton);
        QCOMPARE(engine->Rotation(), 1);
        QTest::keyClick(engine, Qt::Key_L, Qt::ControlModifier);
        QTest::keyClick(engine, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(engine->Rotation(), 3);
        QTest::keyClick(engine, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(engine->Rotation(), 0);
        QTest::mouseClick(window.RotateLeftButton, Qt::LeftButton);
        QCOMPARE(engine->Rotation(), 3);
        QCOMPARE(window.StatusPanel->text(), QStringLiteral("Page 1 of 3"));
        ViewerWindowHooks().Beep = nullptr;
    }
};

QTEST_MAIN(MarkingTest)
#include "Marking_test.moc"
