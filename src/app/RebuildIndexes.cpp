#include "app/RebuildIndexes.h"

#include "app/MainScreen.h"
#include "app/MessageBoxes.h"
#include "app/RecordTables.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tolvane {

TRebuildInd::TRebuildInd(TMainScreen& main, QWidget* parent) : QDialog(parent), main_(main) {
    setObjectName(QStringLiteral("TRebuildInd"));
    setWindowTitle(QStringLiteral("Rebuild Indexes"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(288, 141);
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge1"));
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->setTextVisible(true);
    gauge_->setVisible(false);
    whatAmIDoing_ = new QLabel(this);
    whatAmIDoing_->setObjectName(QStringLiteral("WhatAmIDoing"));
    whatAmIDoing_->setAlignment(Qt::AlignCenter);
    whatAmIDoing_->setVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(gauge_);
    layout->addWidget(whatAmIDoing_);
    layout->addStretch(1);
}

void TRebuildInd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QMetaObject::invokeMethod(this, &TRebuildInd::FormActivate, Qt::QueuedConnection);
    }
}

void TRebuildInd::Progress(int percent) {
    gauge_->setValue(percent);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TRebuildInd::Rebuild(XbTable& table, const Step& step) {
    table.SetProgressHandler([this](int percent) { Progress(percent); });
    const QString index = IndexFileOf(QFile::decodeName(table.Path().c_str()));
    table.CloseIndexes();
    QFile::remove(index);
    whatAmIDoing_->setText(QString::fromLatin1(step.removing));
    Progress(0);
    table.Pack();
    Progress(0);
    whatAmIDoing_->setText(QString::fromLatin1(step.rebuilding));
    table.CreateTag(step.tag, step.key, step.direction, kNotDeleted);
    table.SelectOrder(step.tag);
    table.SetProgressHandler(nullptr);
    whatAmIDoing_->setText(QString());
}

void TRebuildInd::FormActivate() {
    gauge_->setVisible(true);
    whatAmIDoing_->setVisible(true);
    whatAmIDoing_->setText(QString());
    // The sent table's rebuilt tag orders by date alone.
    const Step steps[] = {
        {"Removing FAX file records marked for deletion", "Rebuilding FAX file indexes", "DATESENT",
         "datesent", XbDirection::Descending},
        {"Removing Received FAX records marked for deletion", "Rebuilding Received FAX indexes", "DATETIME",
         RecTableLayout().key, XbDirection::Descending},
        {"Removing PHONE file records marked for deletion", "Rebuilding PHONE file indexes", "NAME",
         PhoneTableLayout().key, XbDirection::Ascending},
        {"Removing COVER file records marked for deletion", "Rebuilding COVER file indexes", "DESCRIPT",
         CoverTableLayout().key, XbDirection::Ascending},
    };
    // A failure is reported like any error that reaches the program, and the window still closes.
    const auto guarded = [this](XbTable& table, const Step& step) {
        try {
            Rebuild(table, step);
        } catch (const Exception& e) {
            table.SetProgressHandler(nullptr);
            ShowApplicationError(QString::fromStdString(e.Message()));
        }
    };
    guarded(main_.FaxTable(), steps[0]);
    guarded(main_.RecTable(), steps[1]);
    if (main_.OpenPhoneDBF(main_.PhoneTable())) {
        guarded(main_.PhoneTable(), steps[2]);
        main_.PhoneTable().Close();
    }
    if (main_.OpenCoverDBF()) {
        guarded(main_.CoverTable(), steps[3]);
        main_.CoverTable().Close();
    }
    QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
}

} // namespace tolvane
