#pragma once
// The "查詢" page: the four query tabs (suiPageControl3: announcements, repurchase reports, disclosures
// of interests, research reports) over the status bar suiStatusBar2. Window thread only.

#include <QWidget>

class QTabWidget;

namespace vintrel::ui {
class StatusBar;
}

namespace vintrel {

class QueryPage : public QWidget
{
    Q_OBJECT
public:
    explicit QueryPage(QWidget *parent = nullptr);

    QTabWidget *suiPageControl3 = nullptr;
    ui::StatusBar *suiStatusBar2 = nullptr;
};

} // namespace vintrel
