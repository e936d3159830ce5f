#pragma once
// The home page "我的自選股": the watched stocks with new records (DBGridEh10 on AQRecUp) above the
// detail pages of one stock (suiPageControl2), with the status bar suiStatusBar1. Window thread only.

#include "platform/db/dataset.h"

#include <QWidget>

class QLabel;
class QTabWidget;

namespace vintrel::grid {
class DataGrid;
}
namespace vintrel::ui {
class StatusBar;
}

namespace vintrel {

class FavorNewsPage : public QWidget
{
    Q_OBJECT
public:
    explicit FavorNewsPage(QWidget *parent = nullptr);

    // The summary statement for the logged-in user, into AQRecUp and the grid; throws db::Error.
    void loadSummary();
    QString statusText() const;

    QTabWidget *suiPageControl2 = nullptr;
    grid::DataGrid *DBGridEh10 = nullptr;
    grid::DataGrid *DBGridEh1 = nullptr;
    grid::DataGrid *DBGridEh7 = nullptr;
    grid::DataGrid *DBGridEh8 = nullptr;
    grid::DataGrid *DBGridEh4 = nullptr;
    QLabel *Label14 = nullptr;
    ui::StatusBar *suiStatusBar1 = nullptr;

    db::Dataset AQRecUp;
    db::Dataset AQAnnFav;
    db::Dataset AQRPFav;
    db::Dataset AQDisFav;
    db::Dataset AQResRpFav;
};

} // namespace vintrel
