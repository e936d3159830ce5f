#pragma once
// The data grid: a read-only table that shows a record set through a fixed list of columns (field, title,
// width, display format, wrap, tooltip), with whole-row selection and shaded alternate rows.
// Attaching shows a record set; detaching takes the model away, so the grid neither draws nor reads rows
// while its data is being replaced. Window thread only.

#include "platform/db/recordset.h"

#include <QAbstractTableModel>
#include <QTableView>

namespace vintrel::grid {

struct Column
{
    QString field;  // matched to the record set's columns without regard to case
    QString title;
    int width = -1; // -1: the grid's default width
    QString format; // "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss" for dates; empty for as-is
    bool wrap = false;
    bool tip = false; // show the whole text as a tooltip when it does not fit
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// The text a value shows under a display format ("yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss" or none).
QString displayText(const QVariant &value, const QString &format);

class RecordSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RecordSetModel(QList<Column> columns, QObject *parent = nullptr);

    void setRecordSet(const db::RecordSet &records);
    const db::RecordSet &recordSet() const { return m_records; }
    const QList<Column> &columns() const { return m_columns; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<Column> m_columns;
    QList<int> m_sourceColumn; // record-set column of each grid column, -1 when absent
    db::RecordSet m_records;
};

class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void setColumns(const QList<Column> &columns);
    void setRowHeight(int pixels);
    // An item of the grid's popup menu, named `name`; hidden until the grid shows rows it can act on.
    QAction *addMenuItem(const QString &name, const QString &caption);

    // Shows the record set (a copy of it) and selects its first row.
    void attach(const db::RecordSet &records);
    void detach();
    bool isAttached() const { return model() != nullptr; }
    RecordSetModel *recordModel() const { return m_model; }

    // The row the user selected or double-clicked, -1 when there is none.
    int currentRecord() const;

    // Shown cell text, for readers and tests.
    QString cellText(int row, int column) const;

private:
    void applyColumnLayout();
    RecordSetModel *m_model = nullptr;
    int m_rowHeight = 28;
};

} // namespace vintrel::grid
