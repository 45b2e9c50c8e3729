#include "app/StatusLine.h"

#include <QApplication>
#include <QEvent>
#include <QStatusTipEvent>

namespace tolvane {
namespace {

QPointer<QLabel>& Current() {
    static QPointer<QLabel> label;
    return label;
}

void SetLabelText(QLabel& label, const QString& text) {
    if (auto* status = qobject_cast<TStatusLabel*>(&label)) {
        status->SetStatusText(text);
    } else {
        label.setText(text);
    }
}

// ShowHintInStatus: status tips of every widget and menu go to the CurrentStatusLabel.
class HintHandler : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::StatusTip) {
            ShowStatusText(static_cast<QStatusTipEvent*>(event)->tip());
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Keeps a window's status line current while the window lives (SavedStatusLabel).
class StatusLineKeeper : public QObject {
public:
    StatusLineKeeper(QWidget& window, QLabel& status)
        : QObject(&window), status_(&status), saved_(CurrentStatusLabel()) {
        window.installEventFilter(this);
        SetCurrentStatusLabel(&status);
    }
    ~StatusLineKeeper() override { SetCurrentStatusLabel(saved_); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
            SetCurrentStatusLabel(status_);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QLabel> status_;
    QPointer<QLabel> saved_;
};

} // namespace

TStatusLabel::TStatusLabel(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("status"));
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(pal);
    setTextFormat(Qt::PlainText);
}

void TStatusLabel::SetStatusText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setText(shown);
}

QLabel* CurrentStatusLabel() {
    return Current().data();
}

void SetCurrentStatusLabel(QLabel* label) {
    Current() = label;
}

void ShowStatusText(const QString& text) {
    if (QLabel* label = CurrentStatusLabel()) {
        SetLabelText(*label, text);
    }
}

void InstallHintHandler() {
    static HintHandler* handler = nullptr;
    if (!handler) {
        handler = new HintHandler(qApp);
        qApp->installEventFilter(handler);
    }
}

QLabel* RegisterStatusLine(QWidget& window, QLabel& status) {
    new StatusLineKeeper(window, status);
    return &status;
}

} // namespace tolvane
