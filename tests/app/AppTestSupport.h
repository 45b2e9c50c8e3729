// Helpers for the window tests: a data folder per test, and answering modal windows (message
// boxes, dialogs) that a command opens while the test waits for it.
#pragma once

#include "app/AppFolders.h"
#include "app/RecordTables.h"
#include "platform/xbase/XbTable.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tolvane::test {

// A temporary data folder that is the program's folder while the object lives.
class DataFolder {
public:
    DataFolder() { SetProgramFolder(Folder()); }
    ~DataFolder() { SetProgramFolder(QString()); }
    QString Folder() const { return QString::fromStdString(dir_.Path().string()) + QLatin1Char('/'); }
    QString File(const QString& name) const { return Folder() + name; }

private:
    TempDir dir_;
};

// Calls action with the next modal widget of type T that becomes the active modal widget (and is
// not `previous`), polling for up to five seconds.
template <class T> void OnNextModal(std::function<void(T*)> action, QWidget* previous = nullptr) {
    auto* timer = new QTimer(qApp);
    const QDeadlineTimer deadline(5000);
    QPointer<QWidget> skip(previous);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, skip, action] {
        QWidget* modal = QApplication::activeModalWidget();
        T* found = modal && modal != skip ? qobject_cast<T*>(modal) : nullptr;
        if (found || deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            if (found) {
                action(found);
            }
        }
    });
    timer->start(10);
}

// What a message box showed, filled in when the box is answered.
struct SeenBox {
    bool shown = false;
    QString text;
    QString caption;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Answers the next message box with the given button and records what it showed.
inline std::shared_ptr<SeenBox> AnswerNextMessageBox(QMessageBox::StandardButton answer = QMessageBox::Ok) {
    auto seen = std::make_shared<SeenBox>();
    OnNextModal<QMessageBox>([seen, answer](QMessageBox* box) {
        seen->shown = true;
        seen->text = box->text();
        seen->caption = box->windowTitle();
        seen->defaultButton =
            box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        if (QAbstractButton* button = box->button(answer)) {
            button->click();
        } else {
            box->reject();
        }
    });
    return seen;
}

// Writes a settings file saying the port was configured, so the preferences stay closed at start.
inline void WriteConfiguredSettings(const DataFolder& data, const QByteArray& more = QByteArray()) {
    QFile f(data.File("QOB.INI"));
    if (f.open(QIODevice::WriteOnly)) {
        f.write("[Modem]\r\nComPort=0\r\n" + more);
    }
}

struct FaxRow {
    std::string subject;
    XbDate date; // empty: never sent
    std::string time;
    bool deleted = false;
};

struct RecRow {
    XbDate date;
    std::string time;
    std::string from;
    bool deleted = false;
};

// Appends records to a table of the data folder, creating the table when missing.
inline void AddFaxes(const DataFolder& data, const std::vector<FaxRow>& rows) {
    if (!QFile::exists(data.File("QOB.DBF"))) {
        MakeTable(data.Folder(), FaxTableLayout());
    }
    XbTable t;
    t.Open(data.File("QOB.DBF").toStdString());
    for (const FaxRow& row : rows) {
        t.Append();
        t.SetString(fax::SUBJECT, row.subject);
        t.SetBool(fax::SENT, !row.date.Empty());
        t.SetDate(fax::DATESENT, row.date);
        t.SetString(fax::TIMESENT, row.time);
        t.SetString(fax::RECIPIENT, "Recipient of " + row.subject);
        t.SetNumber(fax::PAGES, 2);
        t.Post();
        if (row.deleted) {
            t.Delete();
        }
    }
}

inline void AddReceived(const DataFolder& data, const std::vector<RecRow>& rows) {
    if (!QFile::exists(data.File("QOBREC.DBF"))) {
        MakeTable(data.Folder(), RecTableLayout());
    }
    XbTable t;
    t.Open(data.File("QOBREC.DBF").toStdString());
    for (const RecRow& row : rows) {
        t.Append();
        t.SetDate(rec::DATEREC, row.date);
        t.SetString(rec::TIMEREC, row.time);
        t.SetString(rec::FROM, row.from);
        t.SetNumber(rec::PAGES, 1);
        t.SetString(rec::FAXFILE, "FAX0001.APF");
        t.Post();
        if (row.deleted) {
            t.Delete();
        }
    }
}

} // namespace tolvane::test
