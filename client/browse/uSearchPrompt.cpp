#include "client/browse/uSearchPrompt.h"

#include "client/core/uPublic.h"
#include "platform/ui/dialogs.h"

#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace vintrel {
using namespace Qt::StringLiterals;

namespace {
constexpr int kWidth = 400;
constexpr int kHeight = 206;

QPixmap stillPicture()
{
    QPixmap picture(kWidth, kHeight);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QColor(16, 56, 120));
    painter.drawText(QRect(0, 40, kWidth, 60), Qt::AlignCenter, u"正在查詢，請稍候……"_s);
    return picture;
}
} // namespace

TFrmSearchPrompt::TFrmSearchPrompt(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_still(stillPicture())
{
    setObjectName(u"FrmSearchPrompt"_s);
    setWindowTitle(u"查詢"_s);
    setFixedSize(kWidth, kHeight);
    move(474, 388);
    setModal(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(u"Image1"_s);
    Image1->setGeometry(0, 0, kWidth, kHeight);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(m_still);

    suiButton1 = new QPushButton(u"取消查询"_s, this);
    suiButton1->setObjectName(u"suiButton1"_s);
    suiButton1->setGeometry(184, 132, 88, 35);
    suiButton1->setAutoDefault(false);
    suiButton1->raise();
    connect(suiButton1, &QPushButton::clicked, this, &TFrmSearchPrompt::suiButton1Click);
}

void TFrmSearchPrompt::suiButton1Click()
{
    reject();
}

void TFrmSearchPrompt::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TFrmSearchPrompt::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (m_movie)
        m_movie->stop();
    emit closed();
}

void TFrmSearchPrompt::FormShow()
{
    // Read afresh at every showing, so a replaced picture shows the next time.
    const QString path = programFile(u"search.gif"_s);
    auto *movie = new QMovie(path, QByteArray(), this);
    Image1->setMovie(nullptr);
    delete m_movie;
    m_movie = nullptr;
    if (!movie->isValid()) {
        delete movie;
        Image1->setPixmap(m_still);
        // Reported once the window is up: a message box's own loop must not run inside the showing.
        QTimer::singleShot(0, this, [this, path] {
            ui::Dialogs::message(this, u"Vintrel"_s, u"無法讀取圖片文件 "_s + path, ui::Icon::Error);
        });
        return;
    }
    m_movie = movie;
    Image1->setMovie(m_movie);
    m_movie->start();
}

} // namespace vintrel
