#include "ui/main/frmSearch.h"

#include "ui/common/FormLook.h"
#include "ui/common/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor kBackColor = FormLook::fromBgr(0x00E0E0E0);

} // namespace

frmSearch::frmSearch(const QStringList& names, QWidget* parent)
    : QDialog(parent, FormLook::toolWindowFlags()), m_search(names)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Tarvenic Keywarden - Suchen"));
    setFont(FormLook::sansFont());
    FormLook::setBackColor(this, kBackColor);

    auto* caption = new QLabel(QStringLiteral("Account &suchen:"), this);
    caption->setObjectName(QStringLiteral("lblSearch"));

    m_txtSearch = new QLineEdit(this);
    m_txtSearch->setObjectName(QStringLiteral("txtSearch"));
    m_txtSearch->setFont(FormLook::sansFont(8.25, true));
    m_txtSearch->setClearButtonEnabled(true);
    m_txtSearch->setAccessibleName(QStringLiteral("Suchtext"));
    m_txtSearch->setAccessibleDescription(
        QStringLiteral("Zeigt nur die Accounts, deren Name diesen Text enthält; Groß- und Kleinschreibung "
                       "und die Schreibweise von Umlauten zählen nicht"));
    caption->setBuddy(m_txtSearch);

    m_model = new QStringListModel(names, this);
    m_lstAccounts = new QListView(this);
    m_lstAccounts->setObjectName(QStringLiteral("lstAccounts"));
    m_lstAccounts->setModel(m_model);
    m_lstAccounts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstAccounts->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row has the same height: the view does not measure thousands of rows on each keystroke.
    m_lstAccounts->setUniformItemSizes(true);
    m_lstAccounts->setFocusPolicy(Qt::NoFocus);
    m_lstAccounts->setAccessibleName(QStringLiteral("Gefundene Accounts"));
    m_lstAccounts->setAccessibleDescription(
        QStringLiteral("Pfeiltasten wählen einen Account, Eingabe öffnet ihn im Hauptfenster"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(caption);
    layout->addWidget(m_txtSearch);
    layout->addWidget(m_lstAccounts, 1);
    resize(Twips::toPixels(4500, this), Twips::toPixels(4800, this));

    connect(m_txtSearch, &QLineEdit::textChanged, this, &frmSearch::txtSearch_Change);
    connect(m_txtSearch, &QLineEdit::returnPressed, this, &frmSearch::choose);
    connect(m_lstAccounts, &QListView::doubleClicked, this, &frmSearch::choose);
    m_txtSearch->installEventFilter(this);

    selectRow(0);
    m_txtSearch->setFocus();
}

QString frmSearch::selectedName() const
{
    const QModelIndex current = m_lstAccounts->currentIndex();
    return current.isValid() ? current.data().toString() : QString();
}

void frmSearch::txtSearch_Change()
{
    // The account chosen before stays chosen while it still matches; otherwise the first match is.
    const QString before = selectedName();
    const QStringList found = m_search.matches(m_txtSearch->text());
    m_model->setStringList(found);
    const qsizetype keep = before.isEmpty() ? -1 : found.indexOf(before);
    selectRow(keep >= 0 ? static_cast<int>(keep) : 0);
}

void frmSearch::choose()
{
    const QString name = selectedName();
    // Enter on an empty list chooses nothing; the user can type on or press Escape.
    if (name.isEmpty())
        return;
    emit accountChosen(name);
    accept();
}

void frmSearch::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        m_lstAccounts->setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = m_model->index(row);
    m_lstAccounts->setCurrentIndex(index);
    m_lstAccounts->scrollTo(index);
}

void frmSearch::moveSelection(int rows)
{
    const int count = m_model->rowCount();
    if (count == 0)
        return;
    const QModelIndex current = m_lstAccounts->currentIndex();
    const int from = current.isValid() ? current.row() : (rows > 0 ? -1 : count);
    selectRow(std::clamp(from + rows, 0, count - 1));
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event)
{
    // The arrow keys move in the list while the caret stays in the text box, so typing goes on.
    if (watched == m_txtSearch && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int page = std::max(1, m_lstAccounts->viewport()->height()
                                         / std::max(1, m_lstAccounts->sizeHintForRow(0)) - 1);
        switch (key->key()) {
        case Qt::Key_Down:
            moveSelection(1);
            return true;
        case Qt::Key_Up:
            moveSelection(-1);
            return true;
        case Qt::Key_PageDown:
            moveSelection(page);
            return true;
        case Qt::Key_PageUp:
            moveSelection(-page);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
