#include "app/Resources.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

static void InitResourcesOnce() {
    Q_INIT_RESOURCE(app);
}

namespace tolvane {
namespace {

QIcon IconFromSvg(const QString& path, std::initializer_list<int> sizes) {
    InitAppResources();
    QSvgRenderer renderer(path);
    QIcon icon;
    if (!renderer.isValid()) {
        return icon;
    }
    for (const int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

void InitAppResources() {
    static const bool done = (InitResourcesOnce(), true);
    (void)done;
}

QIcon ButtonIcon(const QString& name) {
    return IconFromSvg(QStringLiteral(":/tolvane/buttons/%1.svg").arg(name), {20, 40});
}

QIcon ProgramIcon() {
    return IconFromSvg(QStringLiteral(":/tolvane/buttons/tolvane.svg"), {16, 32, 48, 64, 128});
}

} // namespace tolvane
