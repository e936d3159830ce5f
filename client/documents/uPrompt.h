#pragma once
// TFrmPrompt, the client's modal download window "文件下載": the status line Label1, the bar
// suiProgressBar1 with its percentage caption and the cancel button suiButton1 "取消下载". Created once
// and reused; it shows one download at a time, described by that download's DownloadTicket. Closing it
// by its window menu or Escape counts as a cancel, and is refused once cancelling is no longer possible
// (the cancel button disabled). Window thread only.

#include "client/documents/uIBindStatusCallback.h"

#include <QDialog>
#include <QProgressBar>

#include <memory>

class QLabel;
class QPushButton;

namespace vintrel {

// A horizontal bar over a range of 0 .. Max() (32-bit, as the download reports it) whose caption is the
// whole-number percentage of Position() within the range followed by "%", and "0%" when the range is
// empty. Range 0 .. 100 at position 0 when created.
class TProgressBar : public QProgressBar
{
    Q_OBJECT
public:
    explicit TProgressBar(QWidget *parent = nullptr);

    quint32 Max() const { return m_max; }
    quint32 Position() const { return m_position; }
    void SetMax(quint32 max);
    void SetPosition(quint32 position);
    // 0 .. 100; the caption is Percent() followed by "%".
    int Percent() const;

    QString text() const override;

private:
    void sync();

    quint32 m_max = 100;
    quint32 m_position = 0;
};

class TFrmPrompt : public QDialog, public DownloadWindow
{
    Q_OBJECT
public:
    explicit TFrmPrompt(QWidget *parent = nullptr);
    ~TFrmPrompt() override;

    QLabel *Label1 = nullptr;
    TProgressBar *suiProgressBar1 = nullptr;
    QPushButton *suiButton1 = nullptr;

    // Set when the user cancelled the download the window shows.
    bool CancelRequested() const;
    // Cancels the download shown and closes the window.
    void suiButton1Click();

    // From now on the window shows ticket's download: status line empty, bar back to 0 of 100, cancel
    // enabled. The window is not shown by this.
    void BeginDownload(std::shared_ptr<DownloadTicket> ticket);
    const std::shared_ptr<DownloadTicket> &ticket() const { return m_ticket; }

    QObject *windowObject() override { return this; }
    void SetStatusText(const QString &text) override;
    void SetCancelEnabled(bool enabled) override;

public slots:
    void reject() override;

private:
    std::shared_ptr<DownloadTicket> m_ticket;
};

} // namespace vintrel
