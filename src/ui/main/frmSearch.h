#pragma once

#include "store/AccountSearch.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QLineEdit;
class QListView;
class QStringListModel;

// The search window: typing narrows the account names to those holding the text (case, accents
// and umlaut spelling aside). Up/Down and Page Up/Down move the selection while the focus stays in
// the text box; Enter or a double click chooses the account and closes, Escape closes.
class frmSearch : public QDialog {
    Q_OBJECT
public:
    // `names` in the order the main window lists them.
    explicit frmSearch(const QStringList& names, QWidget* parent = nullptr);

    // The selected name in the list, empty when the list is empty.
    QString selectedName() const;

signals:
    // The user chose `name`; the dialog closes right after.
    void accountChosen(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void txtSearch_Change();
    void choose();
    void moveSelection(int rows);
    void selectRow(int row);

    AccountSearch m_search;
    QLineEdit* m_txtSearch = nullptr;
    QListView* m_lstAccounts = nullptr;
    QStringListModel* m_model = nullptr;
};
