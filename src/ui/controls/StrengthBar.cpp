#include "ui/controls/StrengthBar.h"

#include "ui/common/FormLook.h"

#include "store/PasswordStrength.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>

#include <array>

namespace {

// Red through orange and yellow to green, as 0x00BBGGRR like the windows' other colours.
const std::array<QColor, PasswordStrength::kMaxScore + 1> kStepColors = {
    FormLook::fromBgr(0x000000C0), FormLook::fromBgr(0x000080FF), FormLook::fromBgr(0x0000C0E0),
    FormLook::fromBgr(0x0040B040), FormLook::fromBgr(0x00008000)};
const QColor kEmptyStep = FormLook::fromBgr(0x00C8C8C8);
const QColor kWarningColor = FormLook::fromBgr(0x000000C0);

} // namespace

// The five steps, filled up to the score.
class StrengthBar::Meter : public QWidget {
public:
    explicit Meter(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("barStrength"));
        setFixedHeight(10);
        setMinimumWidth(100);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void setScore(int score)
    {
        m_score = score;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        constexpr int steps = PasswordStrength::kMaxScore + 1;
        constexpr int gap = 3;
        const int stepWidth = (width() - gap * (steps - 1)) / steps;
        for (int i = 0; i < steps; ++i) {
            const QRect step(i * (stepWidth + gap), 0, stepWidth, height());
            painter.fillRect(step, i <= m_score ? kStepColors[static_cast<std::size_t>(m_score)] : kEmptyStep);
            FormLook::drawOutline(painter, step);
        }
    }

private:
    int m_score = -1;
};

StrengthBar::StrengthBar(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("StrengthBar"));
    m_meter = new Meter(this);
    m_meter->setAccessibleName(QStringLiteral("Passwortstärke"));

    m_lblWords = new QLabel(this);
    m_lblWords->setObjectName(QStringLiteral("lblStrength"));
    m_lblWords->setAccessibleName(QStringLiteral("Passwortstärke in Worten"));
    // As wide as the longest words, so the bar does not jump while typing.
    m_lblWords->setMinimumWidth(m_lblWords->fontMetrics().horizontalAdvance(PasswordStrength::words(0)) + 4);

    m_lblWarning = new QLabel(this);
    m_lblWarning->setObjectName(QStringLiteral("lblStrengthWarning"));
    m_lblWarning->setWordWrap(true);
    m_lblWarning->setAccessibleName(QStringLiteral("Warnung zur Passwortstärke"));
    FormLook::setForeColor(m_lblWarning, kWarningColor);
    m_lblWarning->setText(PasswordStrength::warningText());

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(3);
    layout->addWidget(m_meter, 0, 0, Qt::AlignVCenter);
    layout->addWidget(m_lblWords, 0, 1);
    layout->addWidget(m_lblWarning, 1, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    setWarningEnabled(true);
}

StrengthBar::~StrengthBar() = default;

void StrengthBar::setPassword(const QString& password)
{
    if (password.isEmpty()) {
        m_score = -1;
        m_lblWords->clear();
    } else {
        const PasswordStrength::Rating rating = PasswordStrength::rate(password);
        m_score = rating.score;
        m_lblWords->setText(rating.words);
    }
    m_meter->setScore(m_score);
    m_meter->setAccessibleDescription(m_lblWords->text());
    updateWarning();
}

void StrengthBar::setWarningEnabled(bool enabled)
{
    m_warningEnabled = enabled;
    // Where the warning can come, its room stays when it goes, so the window does not jump while
    // the user types; where it never comes it takes no room.
    QSizePolicy policy = m_lblWarning->sizePolicy();
    policy.setRetainSizeWhenHidden(enabled);
    m_lblWarning->setSizePolicy(policy);
    updateWarning();
}

void StrengthBar::updateWarning()
{
    m_lblWarning->setVisible(m_warningEnabled && m_score >= 0 && m_score <= PasswordStrength::kWarnUpTo);
}

QString StrengthBar::words() const
{
    return m_lblWords->text();
}

QString StrengthBar::warning() const
{
    return m_lblWarning->isVisibleTo(this) ? m_lblWarning->text() : QString();
}
