// The small busy animation at the right end of the toolbar (and in the
// "Logging in..." box): a ring of dots whose bright dot goes round while
// running; stopped, it shows its first frame.
#pragma once

#include <QTimer>
#include <QWidget>

namespace korvalin::ui {

class BusyAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 44;
    static constexpr int kFrameCount = 8;

    explicit BusyAnimation(QWidget* parent = nullptr);

    void Start();
    void Stop();
    bool Running() const { return timer_.isActive(); }
    int Frame() const { return frame_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int frame_ = 0;
};

}  // namespace korvalin::ui
