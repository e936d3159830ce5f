#include "platform/grid/datagrid.h"

#include <QAction>
#include <QDateTime>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace vintrel::grid {

QString displayText(const QVariant &value, const QString &format)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        const QDateTime dt = value.toDateTime();
        if (format == u"yyyy-mm-dd")
            return dt.toString(u"yyyy-MM-dd");
        return dt.toString(u"yyyy-MM-dd hh:mm:ss");
    }
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

RecordSetModel::RecordSetModel(QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns))
{
    m_sourceColumn.fill(-1, m_columns.size());
}

void RecordSetModel::setRecordSet(const db::RecordSet &records)
{
    beginResetModel();
    m_records = records;
    for (int i = 0; i < m_columns.size(); ++i)
        m_sourceColumn[i] = m_records.columnIndex(m_columns.at(i).field);
    endResetModel();
}

int RecordSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_records.rowCount();
}

int RecordSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Column &column = m_columns.at(index.column());
    const int source = m_sourceColumn.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (role == Qt::ToolTipRole && !column.tip)
            return {};
        return source < 0 ? QString() : displayText(m_records.value(index.row(), source), column.format);
    case Qt::TextAlignmentRole:
        return int(column.alignment);
    default:
        return {};
    }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return m_columns.at(section).title;
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

namespace {
// Word wrap per column, and the whole text as a tooltip only when the cell cannot show it.
class CellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString tip = index.data(Qt::ToolTipRole).toString();
        const QString shown = index.data(Qt::DisplayRole).toString();
        const QSize needed = option.fontMetrics.boundingRect(option.rect, Qt::TextWordWrap, shown).size();
        if (tip.isEmpty() || (needed.width() <= option.rect.width() && needed.height() <= option.rect.height())) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(event->globalPos(), tip, view);
        return true;
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto *model = qobject_cast<const RecordSetModel *>(index.model());
        if (model && model->columns().at(index.column()).wrap)
            option->features |= QStyleOptionViewItem::WrapText;
        else
            option->features &= ~QStyleOptionViewItem::WrapText;
    }
};
} // namespace

DataGrid::DataGrid(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setShowGrid(true);
    setWordWrap(true);
    setItemDelegate(new CellDelegate(this));
    QFont headerFont(QStringLiteral("宋体"));
    headerFont.setPixelSize(13);
    horizontalHeader()->setFont(headerFont);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
}

void DataGrid::setColumns(const QList<Column> &columns)
{
    QTableView::setModel(nullptr);
    delete m_model;
    m_model = new RecordSetModel(columns, this);
}

void DataGrid::setRowHeight(int pixels)
{
    m_rowHeight = pixels;
    verticalHeader()->setDefaultSectionSize(pixels);
}

QAction *DataGrid::addMenuItem(const QString &name, const QString &caption)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setVisible(false);
    addAction(action);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}

void DataGrid::attach(const db::RecordSet &records)
{
    if (!m_model)
        return;
    m_model->setRecordSet(records);
    if (model() != m_model) {
        QTableView::setModel(m_model);
        applyColumnLayout();
    }
    if (m_model->rowCount() > 0)
        selectRow(0);
}

void DataGrid::detach()
{
    QTableView::setModel(nullptr);
}

int DataGrid::currentRecord() const
{
    if (!isAttached() || m_model->rowCount() == 0)
        return -1;
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : 0;
}

QString DataGrid::cellText(int row, int column) const
{
    if (!m_model)
        return {};
    return m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
}

void DataGrid::applyColumnLayout()
{
    const QList<Column> &columns = m_model->columns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).width > 0)
            setColumnWidth(i, columns.at(i).width);
    }
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
}

} // namespace vintrel::grid
