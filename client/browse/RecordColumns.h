#pragma once
// The grid columns of the four kinds of record, shared by the query tabs and the watchlist's detail pages.

#include "platform/grid/datagrid.h"

namespace vintrel::browse {

QList<grid::Column> annColumns();
QList<grid::Column> repColumns();
QList<grid::Column> disColumns();
QList<grid::Column> rptColumns();

} // namespace vintrel::browse
