// The new-mail sound of an account: its path, "&Browse" for another wave
// file and a button that plays it (the login box in properties mode and the
// setup wizard's account page).
#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;

namespace korvalin::ui {

class SoundPicker : public QWidget {
    Q_OBJECT
public:
    // playText: the play button's text ("Pl&ay" or "P&lay").
    SoundPicker(const QString& path, const QString& playText, QWidget* parent = nullptr);

    QString Path() const;
    void SetPath(const QString& path);
    QLineEdit& PathField() const { return *path_; }
    QPushButton& BrowseButton() const { return *browse_; }
    QPushButton& PlayButton() const { return *play_; }

    // Who picks the file (tests answer instead); nothing: cancelled.
    void SetFileChooser(std::function<std::optional<QString>(const QString& start)> chooser)
    {
        chooser_ = std::move(chooser);
    }

    void Browse();
    void Play();

private:
    QLineEdit* path_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* play_ = nullptr;
    std::function<std::optional<QString>(const QString& start)> chooser_;
};

}  // namespace korvalin::ui
