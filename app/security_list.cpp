#include "app/security_list.h"

#include <QComboBox>
#include <QListView>

namespace zelvon {
namespace {

// Characters the selector is sized for, whatever the names are.
constexpr int kShownCharacters = 40;

}  // namespace

void SecurityList::Attach(QComboBox* box) {
    box->setModel(this);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kShownCharacters);
    if (auto* view = qobject_cast<QListView*>(box->view())) view->setUniformItemSizes(true);
}

void SecurityList::Assign(QVector<Entry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    rows_.clear();
    rows_.reserve(entries_.size());
    for (int row = 0; row < entries_.size(); ++row) Index(row);
    endResetModel();
}

void SecurityList::Append(const QString& name, int32_t firma) {
    const int row = int(entries_.size());
    beginInsertRows(QModelIndex(), row, row);
    entries_.push_back(Entry{name, firma});
    Index(row);
    endInsertRows();
}

void SecurityList::Index(int row) {
    if (!rows_.contains(entries_[row].firma)) rows_.insert(entries_[row].firma, row);
}

int SecurityList::RowOf(int32_t firma) const { return rows_.value(firma, -1); }

int SecurityList::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(entries_.size()); }

QVariant SecurityList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size()) return {};
    const Entry& entry = entries_[index.row()];
    if (role == Qt::DisplayRole || role == Qt::EditRole) return entry.name;
    if (role == Qt::UserRole) return entry.firma;
    return {};
}

}  // namespace zelvon
