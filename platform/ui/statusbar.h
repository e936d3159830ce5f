#pragma once
// A status bar of fixed-width text panels (the main window's pages have 400, 400 and 200 pixels, the last
// one a centred footer). Window thread only.

#include <QFrame>
#include <QList>

class QLabel;

namespace vintrel::ui {

class StatusBar : public QFrame
{
    Q_OBJECT
public:
    StatusBar(const QList<int> &panelWidths, QWidget *parent = nullptr);

    int panelCount() const { return int(m_panels.size()); }
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    int panelWidth(int panel) const;
    void setPanelAlignment(int panel, Qt::Alignment alignment);

private:
    QList<QLabel *> m_panels;
};

} // namespace vintrel::ui
