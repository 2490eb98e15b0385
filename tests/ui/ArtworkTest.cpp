// The program's pictures and sound: icons drawn from SVG at the size they
// are shown at, and the sound played through the module beside the program.
#include "Artwork.h"
#include "SoundPlayer.h"
#include "UiTestSupport.h"

#include <QCoreApplication>
#include <QImage>

namespace korvalin::ui::test {
namespace {

TEST(ArtworkTest, IconsAreDrawnAtTheSizeAskedAndGreyedWhenDisabled)
{
    const QIcon icon = ActionIcon("check");
    ASSERT_FALSE(icon.isNull());
    for (int side : {16, 22, 40, 64}) {
        const QPixmap pixmap = icon.pixmap(QSize(side, side));
        EXPECT_EQ(pixmap.size(), QSize(side, side)) << side;
        EXPECT_EQ(pixmap.cacheKey(), icon.pixmap(QSize(side, side)).cacheKey()) << "drawn once per size";
    }
    const QImage normal = icon.pixmap(QSize(24, 24)).toImage();
    const QImage disabled = icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage();
    EXPECT_NE(normal, disabled);
    EXPECT_TRUE(ActionIcon("no-such-picture").isNull());
}

TEST(SoundPlayerTest, PlaysThroughTheModuleAndSaysWhyNot)
{
    QObject owner;
    QString error;
    EXPECT_FALSE(PlaySoundFile(&owner, "/nonexistent/sound.wav", &error));
    EXPECT_TRUE(error.contains("does not exist")) << error.toStdString();
    // Without an audio device the effect stays silent, but the module loads.
    error.clear();
    EXPECT_TRUE(PlaySoundFile(&owner, QCoreApplication::applicationDirPath() + "/newmail.wav", &error))
        << error.toStdString();
}

}  // namespace
}  // namespace korvalin::ui::test
