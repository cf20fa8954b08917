#include "main/RadioGroup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    for (const QString& caption : items) {
        auto* button = new QRadioButton(caption, this);
        m_group->addButton(button, static_cast<int>(m_items.size()));
        m_items.append(button);
        layout->addWidget(button);
    }
}

int RadioGroup::ItemIndex() const
{
    return m_group->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    if (QRadioButton* button = Item(index))
        button->setChecked(true);
}
