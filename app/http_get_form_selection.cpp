// The main window's security selection: group selector, security selector,
// source and exchange selectors and the request address.
#include "app/http_get_form.h"

#include "app/table_access.h"
#include "sources/request_address.h"
#include "sources/source_catalogue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace zelvon {
namespace {

// Table1 moves made while it is set do not choose source and exchange.
class ListingSecurities {
public:
    explicit ListingSecurities(bool& flag) : flag_(flag) { flag_ = true; }
    ~ListingSecurities() { flag_ = false; }

private:
    bool& flag_;
};

}  // namespace

void THttpGetForm::FillGroupSelector() {
    {
        const QSignalBlocker blockGroups(ComboBox3);
        ComboBox3->clear();
        ComboBox3->addItems(Selection.GroupEntries());
        ComboBox3->setCurrentIndex(groupIndex_);
    }
    ComboBox3Change();
}

// The selection's own move to the first record is followed by the listing,
// which ends there again; source and exchange are chosen once, at that end.
void THttpGetForm::ComboBox3Change() {
    {
        const ListingSecurities listing(listingSecurities_);
        Selection.ComboBox3Change(ComboBox3->currentText());
    }
    FillSecuritySelector();
}

// Lists the admitted securities in the selector, then returns Table1 to its
// first record so that source and exchange follow the first security.
void THttpGetForm::FillSecuritySelector() {
    const QSignalBlocker blockSelector(DBLookupComboBox1);
    QVector<SecurityList::Entry> entries;
    {
        const ListingSecurities listing(listingSecurities_);
        for (Check(Table1.First()); !Table1.Eof(); Check(Table1.Next())) {
            entries.push_back({FieldText(Table1, "FirmenName"), FieldInteger(Table1, "Firma")});
        }
    }
    SecurityEntries->Assign(std::move(entries));
    Check(Table1.First());
    DBLookupComboBox1->setCurrentIndex(DBLookupComboBox1->count() > 0 ? 0 : -1);
}

void THttpGetForm::DBLookupComboBox1Click(int index) {
    const int32_t firma = DBLookupComboBox1->itemData(index).toInt();
    for (Check(Table1.First()); !Table1.Eof(); Check(Table1.Next())) {
        if (FieldInteger(Table1, "Firma") == firma) break;
    }
    ComboBox1Change();
}

// Only the last step's choice of source and exchange stays, so it is made
// once, where the steps end.
bool THttpGetForm::StepToSecurity(int32_t firma) {
    bool found = false;
    {
        const ListingSecurities listing(listingSecurities_);
        for (Check(Table1.First()); !Table1.Eof(); Check(Table1.Next())) {
            if (FieldInteger(Table1, "Firma") == firma) {
                found = true;
                break;
            }
        }
    }
    DataSource1DataChange();
    return found;
}

void THttpGetForm::DataSource1DataChange() {
    if (listingSecurities_) return;
    const std::optional<SourceChoice> choice = Selection.DataSource1DataChange();
    if (!choice) return;
    {
        const QSignalBlocker blockSources(ComboBox2);
        ComboBox2->setCurrentIndex(choice->source);
    }
    ComboBox2Change();
    if (choice->exchange) {
        const QSignalBlocker blockExchanges(ComboBox1);
        ComboBox1->setCurrentIndex(*choice->exchange);
    }
}

void THttpGetForm::ComboBox2Change() {
    const ExchangeSelection exchanges = SelectSource(ComboBox2->currentIndex(), StdBoerse, Hosts);
    {
        const QSignalBlocker blockExchanges(ComboBox1);
        ComboBox1->clear();
        ComboBox1->addItems(exchanges.entries);
        ComboBox1->setCurrentIndex(exchanges.selected);
    }
    ComboBox1Change();
}

void THttpGetForm::ComboBox1Change() {
    const SecurityIdentifiers security{FieldText(Table1, "Kennung"), FieldText(Table1, "ISIN"),
                                       FieldText(Table1, "Ticker"), FieldText(Table1, "Waehrung")};
    const QString name = FieldText(Table1, "FirmenName");
    if (const std::optional<QString> address =
            BuildRequestAddress(ComboBox2->currentIndex(), ComboBox1->currentIndex(), security, Hosts)) {
        URLEdit->setText(*address);
    }
    SetStatusPanel(1, name);
}

void THttpGetForm::Button3Click() { Selection.Button3Click(ComboBox2->currentIndex(), ComboBox1->currentIndex()); }

}  // namespace zelvon
