// The entries of the security selector: name and Firma number of each listed
// security, held as a list model so that a suite of many thousand securities
// fills the selector in one reset instead of one insertion per entry. A
// number's row is found by lookup, not by searching the entries.
#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QString>
#include <QVector>

class QComboBox;

namespace zelvon {

class SecurityList : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // Makes the list the model of box, with items of one height and a width
    // that does not depend on the entries.
    void Attach(QComboBox* box);

    struct Entry {
        QString name;
        int32_t firma;
    };
    // Replaces every entry.
    void Assign(QVector<Entry> entries);
    // Appends one entry that is shown at once.
    void Append(const QString& name, int32_t firma);

    // First row listing firma, or -1.
    int RowOf(int32_t firma) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void Index(int row);

    QVector<Entry> entries_;
    QHash<int32_t, int> rows_;
};

}  // namespace zelvon
