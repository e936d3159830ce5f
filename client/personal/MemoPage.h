#pragma once
// The memo page "備忘錄": the search bar Panel16, the result grid DBGridEh5 on AQBlog and the status bar
// suiStatusBar3. Window thread only.

#include "platform/db/dataset.h"

#include <QWidget>

class QDateTimeEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vintrel::grid {
class DataGrid;
}
namespace vintrel::ui {
class StatusBar;
}

namespace vintrel {

class MemoPage : public QWidget
{
    Q_OBJECT
public:
    explicit MemoPage(QWidget *parent = nullptr);

    QLineEdit *suiEdit8 = nullptr;
    QLineEdit *suiEdit9 = nullptr;
    QRadioButton *suiRadioButton7 = nullptr;
    QRadioButton *suiRadioButton8 = nullptr;
    QDateTimeEdit *DateTimePicker7 = nullptr;
    QDateTimeEdit *DateTimePicker8 = nullptr;
    QPushButton *suiButton11 = nullptr;
    QPushButton *suiButton12 = nullptr;
    grid::DataGrid *DBGridEh5 = nullptr;
    ui::StatusBar *suiStatusBar3 = nullptr;

    db::Dataset AQBlog;
};

} // namespace vintrel
