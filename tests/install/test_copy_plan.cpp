#include <gtest/gtest.h>

#include "install/CopyPlan.h"

using namespace packshelf;

namespace {

using Rule = CopyPlan::Rule;

struct Row {
    const char* what;
    std::vector<std::pair<QString, qint64>> flags;
    std::vector<std::pair<QString, QString>> paths;
    CopyPlan expected;
};

CopyPlan planOf(Rule rule, std::optional<QString> primary = std::nullopt,
                std::optional<QString> data = std::nullopt,
                std::optional<QString> directSource = std::nullopt,
                std::optional<QString> directDestination = std::nullopt) {
    CopyPlan plan;
    plan.rule = rule;
    plan.primarySource = std::move(primary);
    plan.dataSource = std::move(data);
    plan.directSource = std::move(directSource);
    plan.directDestination = std::move(directDestination);
    return plan;
}

ArchiveItem recordOf(const Row& row) {
    ArchiveItem item = ArchiveItem::create(QStringLiteral("Pack.zip"));
    for (const auto& [key, value] : row.flags)
        item.setInteger(key, value);
    for (const auto& [key, value] : row.paths)
        item.setText(key, value);
    return item;
}

} // namespace

TEST(CopyPlan, RuleTable) {
    const std::vector<Row> rows = {
        {.what = "Runtime and Data in the same parent: one copy brings both",
         .flags = {{key::HasRuntime, 1}, {key::HasData, 1}},
         .paths = {{key::RuntimePath, "Pack"}, {key::DataPath, "Pack"}},
         .expected = planOf(Rule::RuntimeAndData, "Pack")},
        {.what = "Runtime and Data in different parents: two copies",
         .flags = {{key::HasRuntime, 1}, {key::HasData, 1}},
         .paths = {{key::RuntimePath, "A"}, {key::DataPath, "B"}},
         .expected = planOf(Rule::RuntimeAndData, "A", "B")},
        {.what = "both at the top level",
         .flags = {{key::HasRuntime, 1}, {key::HasData, 1}},
         .paths = {{key::RuntimePath, ""}, {key::DataPath, ""}},
         .expected = planOf(Rule::RuntimeAndData, "")},
        {.what = "paths differing only in case are different parents",
         .flags = {{key::HasRuntime, 1}, {key::HasData, 1}},
         .paths = {{key::RuntimePath, "A"}, {key::DataPath, "a"}},
         .expected = planOf(Rule::RuntimeAndData, "A", "a")},
        {.what = "both flags, the Data holder unknown after Duplicates",
         .flags = {{key::HasRuntime, 1}, {key::HasData, 1}},
         .paths = {{key::RuntimePath, "A"}},
         .expected = planOf(Rule::RuntimeAndData, "A")},
        {.what = "Runtime alone; a Data path without its flag is ignored",
         .flags = {{key::HasRuntime, 1}, {key::HasData, 0}},
         .paths = {{key::RuntimePath, "A"}, {key::DataPath, "B"}},
         .expected = planOf(Rule::Runtime, "A")},
        {.what = "Data alone",
         .flags = {{key::HasData, 1}},
         .paths = {{key::DataPath, "B"}},
         .expected = planOf(Rule::Data, std::nullopt, "B")},
        {.what = "a forced folder is copied like a Runtime holder, before a direct plan",
         .flags = {{key::HasForced, 1}, {key::HasDirect, 1}},
         .paths = {{key::ForcedPath, "F"}, {key::DirectPath, "/lib"}, {key::DirectPathSrc, "X"}},
         .expected = planOf(Rule::Forced, "F")},
        {.what = "a flag counts only when it is exactly 1",
         .flags = {{key::HasRuntime, 2}, {key::HasData, -1}, {key::HasDirect, 1}},
         .paths = {{key::RuntimePath, "A"},
                   {key::DirectPath, "/lib"},
                   {key::DirectPathSrc, "Stuff/Addons"}},
         .expected = planOf(Rule::Direct, std::nullopt, std::nullopt, "Stuff/Addons", "/lib")},
        {.what = "a direct plan without its source",
         .flags = {{key::HasDirect, 1}},
         .paths = {{key::DirectPath, "/lib"}},
         .expected = planOf(Rule::Direct, std::nullopt, std::nullopt, std::nullopt, "/lib")},
        {.what = "a direct plan without its destination",
         .flags = {{key::HasDirect, 1}},
         .paths = {{key::DirectPathSrc, "X"}},
         .expected = planOf(Rule::Direct, std::nullopt, std::nullopt, "X")},
        {.what = "a flag whose path is absent leaves its slot empty",
         .flags = {{key::HasForced, 1}},
         .paths = {},
         .expected = planOf(Rule::Forced)},
        {.what = "no flag: nothing to copy",
         .flags = {},
         .paths = {{key::RuntimePath, "A"}},
         .expected = planOf(Rule::Nothing)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const CopyPlan plan = copyPlanFor(recordOf(row));
        EXPECT_EQ(plan.rule, row.expected.rule);
        EXPECT_EQ(plan.primarySource, row.expected.primarySource);
        EXPECT_EQ(plan.dataSource, row.expected.dataSource);
        EXPECT_EQ(plan.directSource, row.expected.directSource);
        EXPECT_EQ(plan.directDestination, row.expected.directDestination);
        EXPECT_EQ(plan.isIncompleteDirect(),
                  plan.rule == Rule::Direct && (!plan.directSource || !plan.directDestination));
        EXPECT_EQ(plan.copiesIntoDestination(), plan.primarySource || plan.dataSource);
    }
}
