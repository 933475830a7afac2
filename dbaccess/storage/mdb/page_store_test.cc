// Changed pages beyond the memory budget go to a temporary file and come back unchanged.
#include "dbaccess/storage/mdb/page_store.h"

#include <gtest/gtest.h>

namespace dbaccess::mdb {
namespace {

Page Filled(uint8_t value) { return Page(64, value); }

TEST(PageStoreTest, PagesBeyondTheBudgetSpillAndComeBackInOrder) {
  PageStore store(64, 3);
  for (uint32_t n = 10; n > 0; --n) store.Put(n, Filled(static_cast<uint8_t>(n)));
  EXPECT_EQ(store.size(), 10u);
  EXPECT_GE(store.spilled(), 7u);
  EXPECT_EQ(store.Find(11), nullptr);
  // A page from the file, changed in memory, spilled again and read back.
  Page* ten = store.Find(10);
  ASSERT_NE(ten, nullptr);
  EXPECT_EQ(*ten, Filled(10));
  (*ten)[0] = 0xAB;
  for (uint32_t n = 1; n <= 5; ++n) ASSERT_NE(store.Find(n), nullptr);
  Page changed = Filled(10);
  changed[0] = 0xAB;
  EXPECT_EQ(*store.Find(10), changed);
  store.Put(4, Filled(44));  // replaced where it lies, in memory or not

  std::vector<uint32_t> order;
  store.ForEach([&](uint32_t number, const Page& page) {
    order.push_back(number);
    if (number == 10) {
      EXPECT_EQ(page, changed);
    } else if (number == 4) {
      EXPECT_EQ(page, Filled(44));
    } else {
      EXPECT_EQ(page, Filled(static_cast<uint8_t>(number)));
    }
  });
  EXPECT_EQ(order, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(store.Numbers(), order);

  // Pages of zeros leave memory without going to the file, and come back as zeros.
  for (uint32_t n = 20; n < 23; ++n) store.Put(n, Page(64, 0));  // the last three go out
  const size_t spilled = store.spilled();
  for (uint32_t n = 23; n < 30; ++n) store.Put(n, Page(64, 0));
  EXPECT_EQ(store.spilled(), spilled);
  ASSERT_NE(store.Find(21), nullptr);
  EXPECT_EQ(*store.Find(21), Page(64, 0));
  (*store.Find(21))[5] = 7;  // no longer zeros: kept once it leaves memory again
  for (uint32_t n = 1; n <= 5; ++n) ASSERT_NE(store.Find(n), nullptr);
  EXPECT_EQ((*store.Find(21))[5], 7);
  store.Clear();
  EXPECT_TRUE(store.empty());
  EXPECT_EQ(store.Find(3), nullptr);
}

}  // namespace
}  // namespace dbaccess::mdb
