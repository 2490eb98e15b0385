#include "Artwork.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <algorithm>
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

// Draws its SVG at each size the first time that size is asked for, so an
// icon costs only the sizes it is shown at, not six pixmaps up front.
class SvgIconEngine final : public QIconEngine {
public:
    explicit SvgIconEngine(QString resource) : resource_(std::move(resource)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const int side = std::max(1, qRound(std::min(size.width(), size.height()) * scale));
        const quint64 key = (static_cast<quint64>(side) << 8) | static_cast<quint64>(mode);
        if (auto found = rendered_.constFind(key); found != rendered_.constEnd())
            return *found;
        QPixmap pixmap = RenderSvg(resource_, side);
        if (mode != QIcon::Normal && !pixmap.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        pixmap.setDevicePixelRatio(scale);
        rendered_.insert(key, pixmap);
        return pixmap;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    // What a tray host that takes a list of pictures is offered.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }

    QIconEngine* clone() const override { return new SvgIconEngine(resource_); }
    QString key() const override { return QStringLiteral("KorvalinSvg"); }

private:
    QString resource_;
    QHash<quint64, QPixmap> rendered_;
};

QIcon IconFromSvg(const QString& resource)
{
    RegisterArtwork();
    static QHash<QString, QIcon> cache;
    if (auto found = cache.constFind(resource); found != cache.constEnd())
        return *found;
    QIcon icon;
    if (QFile::exists(resource))
        icon = QIcon(new SvgIconEngine(resource));
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
