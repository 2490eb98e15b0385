// The program's pictures, drawn from the SVG files in the resources at the
// sizes they are shown at, when first shown (no icon-engine plug-in needed).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace korvalin::ui {

// The row-state pictures of a summary list, in image-list order.
enum class RowImage {
    Counter = 0,
    DeleteQueued = 1,
    DownloadQueued = 2,
    NewCached = 3,
    ReadCached = 4,
    New = 5,
    Read = 6,
};
inline constexpr int kRowImageCount = 7;

enum class TreeImage { Provider, Account, Folder };

QIcon ApplicationIcon();
// Tray frames: 0 is the resting icon, 1 to 4 the animation steps.
QIcon TrayFrame(int step);
QIcon TreeIcon(TreeImage image);
QIcon RowStateIcon(RowImage image);
QIcon RowStateIcon(int index);
// A toolbar picture by name: "compose", "check", "stop", "delete", ...
QIcon ActionIcon(const QString& name);

// One resource SVG drawn at size by size pixels (a null pixmap when missing).
QPixmap RenderSvg(const QString& resource, int size);

}  // namespace korvalin::ui
