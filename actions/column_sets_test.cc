#include "actions/column_sets.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "actions/action_lists.h"
#include "gtest/gtest.h"

namespace actions {
namespace {

TEST(ColumnSetsTest, EveryListHasTickAndResultAndAGridPlaceForEachColumn) {
  std::set<std::string_view> files;
  for (ListId id : kAllLists) {
    const ListLayout& layout = LayoutOf(id);
    SCOPED_TRACE(std::string(layout.name));
    files.insert(layout.file_name);
    std::vector<int> places;
    for (const GridColumn& column : layout.columns) {
      places.push_back(column.grid_place);
      EXPECT_GT(column.width, 0);
      EXPECT_FALSE(column.title.empty());
    }
    std::sort(places.begin(), places.end());
    for (size_t i = 0; i < places.size(); ++i) EXPECT_EQ(places[i], static_cast<int>(i) + 1);

    ActionList list(ColumnsOf(id));  // the columns a fresh list opens with
    const std::vector<Column>& columns = list.columns();
    ASSERT_EQ(columns.size(), layout.columns.size());
    EXPECT_EQ(columns[0], Column::Boolean(std::string(kTickColumn)));
    const int result = list.ColumnIndex(kResultColumn);
    EXPECT_EQ(columns[result], Column::String(std::string(kResultColumn)));
  }
  EXPECT_EQ(files.size(), kAllLists.size());

  const ActionLists lists;
  EXPECT_EQ(lists[ListId::qFK].columns(), ColumnsOf(ListId::qFK));
}

}  // namespace
}  // namespace actions
