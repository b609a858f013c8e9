#pragma once

#include <QString>

// The master tables by kind (1 products, 2 customers, 3 suppliers): the
// table, and the field its codes are kept in; empty for any other kind.
QString MasterTableOf(int kind);
QString MasterCodeFieldOf(int kind);
