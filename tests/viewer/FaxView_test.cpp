// The viewer control: property rules, page operations and their exceptions, events, drops.
#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"
#include "viewer/FaxView.h"
#include "viewer/ViewerTestSupport.h"

#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <memory>

using namespace tolvane;

class FaxViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<TFaxView> view;
    QString twoPages;

    QString Fax(const std::string& name, int pages, uint16_t flags = apfFineResolution) {
        const std::string file = dir->File(name);
        std::vector<test::TestPage> list;
        for (int n = 1; n <= pages; ++n) {
            list.push_back(test::EncodedPage(test::NumberedRaster(1728, 200, n), flags));
        }
        test::WriteApf(file, list);
        return QString::fromStdString(file);
    }
    TViewScale EngineScale() { return view->Viewer()->Scale(); }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        twoPages = Fax("two.apf", 2);
        view = std::make_unique<TFaxView>();
        view->resize(400, 300);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
    void cleanup() {
        view.reset();
        dir.reset();
    }

    void defaults() {
        TFaxView fresh;
        QCOMPARE(fresh.size(), QSize(100, 50));
        QVERIFY(fresh.BorderStyle() == TBorderStyle::bsSingle);
        QVERIFY(fresh.AutoScaleMode() == TAutoScaleMode::asDoubleHeight);
        QCOMPARE(fresh.HorizScroll(), 8u);
        QVERIFY(fresh.AcceptDragged());
        QVERIFY(!fresh.Scaling());
        QCOMPARE(fresh.FGColor(), QColor(Qt::black));
        QCOMPARE(fresh.BGColor(), QColor(Qt::white));
    }

    void factorRules() {
        view->SetFileName(twoPages);
        view->SetHorizMult(0);
        QCOMPARE(view->HorizMult(), 1u);
        // Without Scaling the factors are stored, the view stays 1:1.
        view->SetHorizDiv(2);
        QCOMPARE(view->HorizDiv(), 2u);
        QVERIFY(EngineScale() == TViewScale{});
        view->SetScaling(true);
        QVERIFY(EngineScale() == (TViewScale{1, 2, 1, 1}));
        QCOMPARE(view->Viewer()->ScaledWidth(), 864);
        view->SetVertDiv(4);
        QVERIFY(EngineScale() == (TViewScale{1, 2, 1, 4}));
        view->SetScaling(false);
        QVERIFY(EngineScale() == TViewScale{});
        QCOMPARE(view->HorizDiv(), 2u);
    }

    void loadingResetsTheFactorsAndTheView() {
        view->SetScaling(true);
        view->SetHorizDiv(2);
        view->SetVertDiv(2);
        view->SetFileName(twoPages);
        QCOMPARE(view->HorizDiv(), 1u);
        QCOMPARE(view->VertDiv(), 1u);
        QVERIFY(view->Scaling());
        QVERIFY(EngineScale() == TViewScale{});
        QCOMPARE(view->CurrentPageWidth(), 1728);
    }

    void pageOperations() {
        QSignalSpy changes(view.get(), &TFaxView::OnPageChange);
        view->SetFileName(twoPages);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(view->PageTotal(), 2u);
        QCOMPARE(view->ShownPage(), 1u);
        view->ShowPage(1); // already shown: nothing
        view->ShowPreviousPage();
        QCOMPARE(changes.count(), 1);
        view->ShowNextPage();
        QCOMPARE(view->ShownPage(), 2u);
        view->ShowNextPage();
        QCOMPARE(changes.count(), 2);
        view->ShowFirstPage();
        QCOMPARE(view->ShownPage(), 1u);
        view->ShowLastPage();
        QCOMPARE(view->ShownPage(), 2u);
        QVERIFY_THROWS_EXCEPTION(EBadArgument, view->ShowPage(0));
        QVERIFY_THROWS_EXCEPTION(EBadArgument, view->ShowPage(3));
        QCOMPARE(view->ShownPage(), 2u);
    }

    void loadFailuresRaiseAfterStoringTheName() {
        const QString missing = QString::fromStdString(dir->File("missing.apf"));
        QVERIFY_THROWS_EXCEPTION(EInOutError, view->SetFileName(missing));
        QCOMPARE(view->FileName(), missing);
        const std::string text = dir->File("text.apf");
        test::WriteAll(text, std::vector<uint8_t>(100, 'x'));
        QVERIFY_THROWS_EXCEPTION(EFaxBadFormat, view->SetFileName(QString::fromStdString(text)));
        // While the control is being loaded nothing is raised.
        view->SetLoading(true);
        view->SetFileName(missing + QStringLiteral("2"));
        view->SetLoading(false);
    }

    void autoScaleModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("none") << int(TAutoScaleMode::asNone) << 1728 << 200;
        QTest::newRow("double height") << int(TAutoScaleMode::asDoubleHeight) << 1728 << 400;
        QTest::newRow("half width") << int(TAutoScaleMode::asHalfWidth) << 864 << 200;
    }

    void autoScaleModes() {
        QFETCH(int, mode);
        QFETCH(int, width);
        QFETCH(int, height);
        view->SetAutoScaleMode(static_cast<TAutoScaleMode>(mode));
        view->SetFileName(Fax("normal.apf", 1, 0));
        QCOMPARE(view->Viewer()->dwViewGetPageDim(), QRect(0, 0, width, height));
    }

    void whitespaceCompressionShortensBlankRuns() {
        test::Raster r = test::WhiteRaster(1728, 120);
        test::FillRect(r, 0, 0, 1728, 1);
        test::FillRect(r, 0, 119, 1728, 120);
        const std::string file = dir->File("blank.apf");
        test::WriteApf(file, {test::EncodedPage(r, apfFineResolution)});
        view->SetWhitespaceFrom(10);
        view->SetWhitespaceTo(2);
        view->SetWhitespaceCompression(true);
        view->SetFileName(QString::fromStdString(file));
        QCOMPARE(view->Viewer()->dwViewGetPageDim().height(), 4);
    }

    void laterPageErrorsBecomeViewerErrors() {
        const QString name = Fax("damaged.apf", 2);
        std::filesystem::resize_file(name.toStdString(), std::filesystem::file_size(name.toStdString()) - 30);
        QSignalSpy errors(view.get(), &TFaxView::OnViewerError);
        view->SetFileName(name);
        view->ShowNextPage();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toInt(), ecFaxBadFormat);
    }

    void droppedFileBecomesTheFileName() {
        view->SetFileName(twoPages);
        QSignalSpy dropped(view.get(), &TFaxView::OnDropFile);
        const QString other = Fax("other.apf", 1);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(other)});
        QWidget* target = view->Viewer()->viewport();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.at(0).at(0).toString(), other);
        QCOMPARE(view->FileName(), other);
        QCOMPARE(view->PageTotal(), 1u);
        // With AcceptDragged off the viewer takes no drops.
        view->SetAcceptDragged(false);
        QVERIFY(!target->acceptDrops());
    }

    void newBorderStyleMakesTheWindowAgainWithItsSettings() {
        view->SetAutoScaleMode(TAutoScaleMode::asHalfWidth);
        view->SetFileName(Fax("normal.apf", 2, 0));
        QPointer<TViewer> before = view->Viewer();
        view->SetBorderStyle(TBorderStyle::bsNone);
        QVERIFY(before.isNull());
        QCOMPARE(view->frameShape(), QFrame::NoFrame);
        QCOMPARE(view->PageTotal(), 2u);
        QCOMPARE(view->CurrentPageWidth(), 864);
    }
};

QTEST_MAIN(FaxViewTest)
#include "FaxView_test.moc"
