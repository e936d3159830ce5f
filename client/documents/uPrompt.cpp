#include "client/documents/uPrompt.h"

#include <QLabel>
#include <QPushButton>

namespace vintrel {

using namespace Qt::StringLiterals;

TProgressBar::TProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setOrientation(Qt::Horizontal);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    // The widget's own range is the percentage, so that an empty range never turns it into a busy bar
    // and lengths beyond the range of int fit.
    setRange(0, 100);
    sync();
}

void TProgressBar::SetMax(quint32 max)
{
    m_max = max;
    sync();
}

void TProgressBar::SetPosition(quint32 position)
{
    m_position = position;
    sync();
}

int TProgressBar::Percent() const
{
    if (m_max == 0)
        return 0;
    return int(quint64(qMin(m_position, m_max)) * 100 / m_max);
}

QString TProgressBar::text() const
{
    return QString::number(Percent()) + u'%';
}

void TProgressBar::sync()
{
    // setValue repaints only when the percentage changed.
    setValue(Percent());
}

TFrmPrompt::TFrmPrompt(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FrmPrompt"_s);
    setWindowTitle(u"文件下載"_s);
    setFixedSize(410, 136);
    setWindowModality(Qt::ApplicationModal);

    Label1 = new QLabel(this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(16, 14, 378, 20);

    suiProgressBar1 = new TProgressBar(this);
    suiProgressBar1->setObjectName(u"suiProgressBar1"_s);
    suiProgressBar1->setGeometry(16, 44, 378, 24);

    suiButton1 = new QPushButton(u"取消下载"_s, this);
    suiButton1->setObjectName(u"suiButton1"_s);
    suiButton1->setGeometry(155, 90, 100, 30);
    suiButton1->setAutoDefault(false);
    connect(suiButton1, &QPushButton::clicked, this, &TFrmPrompt::suiButton1Click);
}

TFrmPrompt::~TFrmPrompt()
{
    if (m_ticket)
        m_ticket->Retire();
}

bool TFrmPrompt::CancelRequested() const
{
    return m_ticket && m_ticket->CancelRequested();
}

void TFrmPrompt::suiButton1Click()
{
    if (m_ticket)
        m_ticket->RequestCancel();
    close();
}

void TFrmPrompt::reject()
{
    // The transfer's data is complete: it ends in a moment and can no longer be cancelled.
    if (m_ticket && m_ticket->IsCurrent() && !suiButton1->isEnabled())
        return;
    if (m_ticket)
        m_ticket->RequestCancel();
    QDialog::reject();
}

void TFrmPrompt::BeginDownload(std::shared_ptr<DownloadTicket> ticket)
{
    if (m_ticket && m_ticket != ticket)
        m_ticket->Retire();
    m_ticket = std::move(ticket);
    Label1->clear();
    suiProgressBar1->SetMax(100);
    suiProgressBar1->SetPosition(0);
    suiButton1->setEnabled(true);
}

void TFrmPrompt::SetStatusText(const QString &text)
{
    Label1->setText(text);
}

void TFrmPrompt::SetCancelEnabled(bool enabled)
{
    suiButton1->setEnabled(enabled);
}

} // namespace vintrel
