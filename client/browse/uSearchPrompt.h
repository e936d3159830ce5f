#pragma once
// TFrmSearchPrompt, the query wait window: a borderless white 400 x 206 window filled by a picture, with
// the button suiButton1 "取消查询" over it. Each showing loads "search.gif" from the program's folder and
// plays it; when the file cannot be read the failure is reported and the stored still picture stays.
// Hiding the window by any means emits closed(). Window thread only.

#include <QDialog>
#include <QPixmap>

class QLabel;
class QMovie;
class QPushButton;

namespace vintrel {

class TFrmSearchPrompt : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmSearchPrompt(QWidget *parent = nullptr);

    void FormShow();
    void suiButton1Click();

    QLabel *Image1 = nullptr;
    QPushButton *suiButton1 = nullptr;

signals:
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QPixmap m_still;
    QMovie *m_movie = nullptr;
};

} // namespace vintrel
