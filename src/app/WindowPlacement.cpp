#include "app/WindowPlacement.h"

#include "app/AppFolders.h"
#include "app/Settings.h"
#include "imaging/errors/ResultCodes.h"
#include "platform/ini/IniFile.h"

#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace tolvane {
namespace {

QPointer<QWidget>& Main() {
    static QPointer<QWidget> window;
    return window;
}

QRect ScreenArea(const QWidget& w) {
    const QScreen* screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

std::string SettingsFile() {
    return QFile::encodeName(SettingsFileName(ProgramFolder())).toStdString();
}

} // namespace

QWidget* MainWindow() {
    return Main().data();
}

void SetMainWindow(QWidget* window) {
    Main() = window;
}

void CenterOverMainWindow(QWidget& form) {
    if (form.isMaximized()) {
        return;
    }
    const QWidget* main = MainWindow();
    const QRect area = main && main != &form ? main->geometry() : ScreenArea(form);
    form.move(area.left() + (area.width() - form.width()) / 2,
              area.top() + (area.height() - form.height()) / 2);
}

void FitMaximizedForm(QWidget& form) {
    if (!form.isMaximized()) {
        return;
    }
    const QRect area = ScreenArea(form);
    QRect g = form.geometry();
    if (g.height() > area.height()) {
        g.setTop(0);
        g.setHeight(area.height());
        form.setGeometry(g);
    } else if (g.width() > area.width()) {
        g.setLeft(0);
        g.setWidth(area.width());
        form.setGeometry(g);
    }
}

QString PlacementSection(const QString& className) {
    return className + QStringLiteral("_Placement");
}

void RestoreWindowPlacement(QWidget& window, const QString& className, bool maximizedByDefault) {
    IniFile ini;
    ini.Load(SettingsFile());
    const std::string section = PlacementSection(className).toStdString();
    int left = ini.ReadInteger(section, "Left", 0);
    int top = ini.ReadInteger(section, "Top", 0);
    int right = ini.ReadInteger(section, "Right", 0);
    int bottom = ini.ReadInteger(section, "Bottom", 0);
    const bool maximized = ini.ReadBool(section, "Maximized", maximizedByDefault);
    const QRect screen = ScreenArea(window);
    if (right > screen.right() + 1) {
        left -= right - (screen.right() + 1);
        right = screen.right() + 1;
    }
    if (bottom > screen.bottom() + 1) {
        top -= bottom - (screen.bottom() + 1);
        bottom = screen.bottom() + 1;
    }
    if (bottom != 0 && right > left && bottom > top) {
        window.setGeometry(left, top, right - left, bottom - top);
    } else {
        window.move(screen.left() + (screen.width() - window.width()) / 2,
                    screen.top() + (screen.height() - window.height()) / 2);
    }
    if (maximized) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
}

void SaveWindowPlacement(const QWidget& window, const QString& className) {
    IniFile ini;
    const std::string name = SettingsFile();
    const int loaded = ini.Load(name);
    if (loaded < 0 && loaded != ecFileNotFound) {
        return;
    }
    const bool maximized = window.isMaximized();
    const QRect r = maximized ? window.normalGeometry() : window.geometry();
    const std::string section = PlacementSection(className).toStdString();
    ini.WriteInteger(section, "Left", r.left());
    ini.WriteInteger(section, "Top", r.top());
    ini.WriteInteger(section, "Right", r.left() + r.width());
    ini.WriteInteger(section, "Bottom", r.top() + r.height());
    ini.WriteBool(section, "Maximized", maximized);
    ini.Save(name);
}

} // namespace tolvane
