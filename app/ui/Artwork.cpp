#include "Artwork.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <array>

// The pictures are compiled into this static library; their registration
// must be asked for, or the linker may leave it out.
static void RegisterArtwork()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(korvalin);
        return true;
    }();
    (void)registered;
}

namespace korvalin::ui {
namespace {

QIcon IconFromSvg(const QString& resource)
{
    RegisterArtwork();
    static QHash<QString, QIcon> cache;
    if (auto found = cache.constFind(resource); found != cache.constEnd())
        return *found;
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = RenderSvg(resource, size);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    cache.insert(resource, icon);
    return icon;
}

}  // namespace

QPixmap RenderSvg(const QString& resource, int size)
{
    RegisterArtwork();
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return pixmap;
}

QIcon ApplicationIcon()
{
    return IconFromSvg(QStringLiteral(":/icons/korvalin.svg"));
}

QIcon TrayFrame(int step)
{
    if (step < 1 || step > 4)
        return ApplicationIcon();
    return IconFromSvg(QStringLiteral(":/icons/tray-frame%1.svg").arg(step - 1));
}

QIcon TreeIcon(TreeImage image)
{
    switch (image) {
    case TreeImage::Provider:
        return IconFromSvg(QStringLiteral(":/icons/tree-provider.svg"));
    case TreeImage::Account:
        return IconFromSvg(QStringLiteral(":/icons/tree-account.svg"));
    case TreeImage::Folder:
        break;
    }
    return IconFromSvg(QStringLiteral(":/icons/tree-folder.svg"));
}

QIcon RowStateIcon(RowImage image)
{
    static const std::array<const char*, kRowImageCount> files = {
        "row-counter", "row-delete-queued", "row-download-queued", "row-new-cached",
        "row-read-cached", "row-new", "row-read",
    };
    return IconFromSvg(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(files[static_cast<size_t>(image)])));
}

QIcon RowStateIcon(int index)
{
    if (index < 0 || index >= kRowImageCount)
        return {};
    return RowStateIcon(static_cast<RowImage>(index));
}

QIcon ActionIcon(const QString& name)
{
    return IconFromSvg(QStringLiteral(":/icons/action-%1.svg").arg(name));
}

}  // namespace korvalin::ui
