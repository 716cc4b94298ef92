#include "workdesks/gui/MenuEntryDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/LocalPaths.h"
#include "platform/Paths.h"

namespace gw {

MenuEntryDialog::MenuEntryDialog(const std::string& program, const std::string& dataDir, QWidget* parent)
    : QDialog(parent), m_program(program), m_dataDir(dataDir) {
    setObjectName("MenuEntryDialog");
    setWindowTitle("Add to Applications Menu");
    m_plan = PlanDesktopEntry({program, "", "", "", dataDir});
    auto* form = new QFormLayout;
    m_name = new QLineEdit(QString::fromStdString(m_plan.name), this);
    m_name->setObjectName("EntryName");
    m_exec = new QLineEdit(QString::fromStdString(m_plan.exec), this);
    m_exec->setObjectName("EntryCommand");
    m_categories = new QLineEdit(this);
    m_categories->setObjectName("EntryCategories");
    m_categories->setPlaceholderText("e.g. Game;");
    form->addRow("&Name:", m_name);
    form->addRow("&Command:", m_exec);
    form->addRow("C&ategories:", m_categories);
    auto* sizes = new QHBoxLayout;
    for (int size : m_plan.iconSizes) {
        auto* box = new QCheckBox(QString::number(size), this);
        box->setObjectName("IconSize" + QString::number(size));
        box->setChecked(true);
        sizes->addWidget(box);
        m_sizes.emplace_back(size, box);
    }
    if (m_sizes.empty()) sizes->addWidget(new QLabel("none: the program holds no icon a menu can show", this));
    sizes->addStretch();
    form->addRow("Icon sizes:", sizes);
    if (!m_plan.winePrefix.empty()) {
        auto* prefix = new QLabel("Runs in the Wine prefix " + FromLocal(m_plan.winePrefix), this);
        prefix->setObjectName("EntryWinePrefix");
        prefix->setWordWrap(true);
        form->addRow(QString(), prefix);
    }
    auto* where = new QLabel("Written into " + FromLocal(dataDir) + " as " + QString::fromStdString(m_plan.id), this);
    where->setObjectName("EntryFolder");
    where->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* add = buttons->addButton("&Add", QDialogButtonBox::AcceptRole);
    add->setObjectName("AddEntry");
    add->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(where);
    layout->addWidget(buttons);
    setMinimumWidth(480);
}

DesktopEntryPlan MenuEntryDialog::EditedPlan() const {
    DesktopEntryPlan plan = PlanDesktopEntry({m_program, m_name->text().toStdString(), m_exec->text().toStdString(),
                                              m_categories->text().toStdString(), m_dataDir});
    for (const auto& [size, box] : m_sizes) {
        if (box->isChecked()) continue;
        const std::string side = std::to_string(size);
        const std::string folder = "/" + side + "x" + side + "/apps/";
        std::erase_if(plan.files, [&](const PlannedFile& f) { return f.path.find(folder) != std::string::npos; });
        std::erase(plan.iconSizes, size);
    }
    return plan;
}

std::string MenuEntryDialog::Said(const std::string& error) const {
    if (error.empty()) return {};
    return "\"" + PathFileName(m_plan.program.empty() ? m_program : m_plan.program) + "\": " + error;
}

std::string MenuEntryDialog::Add() {
    const DesktopEntryPlan plan = EditedPlan();
    if (!plan.error.empty()) return Said(plan.error);
    if (!m_sizes.empty() && plan.iconSizes.empty()) return "Keep at least one icon size";
    if (std::string error = WriteDesktopEntry(plan); !error.empty()) return error;
    RefreshIconTheme(m_dataDir);
    return {};
}

} // namespace gw
