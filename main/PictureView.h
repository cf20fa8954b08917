#pragma once

#include <QImage>
#include <QWidget>

// Shows a picture scaled to fit the widget with its proportions kept, centred. Keeps the
// last picture it was given.
class PictureView : public QWidget
{
    Q_OBJECT

public:
    explicit PictureView(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    QImage Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};
