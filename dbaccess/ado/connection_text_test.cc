#include <gtest/gtest.h>

#include "dbaccess/ado/connection.h"
#include "dbaccess/base/jet_error.h"

namespace dbaccess::ado {
namespace {

int ErrorNumber(std::string_view text) {
  try {
    ParseConnectionText(text);
  } catch (const JetError& e) {
    return e.number();
  }
  return -1;
}

TEST(ConnectionTextTest, WritesThePlainFormForOrdinaryValues) {
  EXPECT_EQ(ConnectionText("C:\\db\\work.mdb", ""),
            "Provider=Microsoft.Jet.OLEDB.4.0;\rPassword=\"\";User ID=Admin;\r"
            "Data Source=C:\\db\\work.mdb;");
  EXPECT_EQ(ConnectionText("work.mdb", "secret"),
            "Provider=Microsoft.Jet.OLEDB.4.0;\rPassword=\"\";User ID=Admin;\r"
            "Data Source=work.mdb;Jet OLEDB:Database Password=secret;");
  const ConnectionParts parts =
      ParseConnectionText(ConnectionText("/tmp/База данных.mdb", "пароль"));
  EXPECT_EQ(parts.provider, "Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(parts.data_source, "/tmp/База данных.mdb");
  EXPECT_EQ(parts.database_password, "пароль");
}

TEST(ConnectionTextTest, QuotesHostileValuesAndReadsThemBack) {
  EXPECT_EQ(ConnectionText("a;b.mdb", "p\"w"),
            "Provider=Microsoft.Jet.OLEDB.4.0;\rPassword=\"\";User ID=Admin;\r"
            "Data Source=\"a;b.mdb\";Jet OLEDB:Database Password=\"p\"\"w\";");
  const std::string hostile[] = {"a;b",          " lead",
                                 "trail ",       "\"quoted\"",
                                 "it's",         "x=y;Provider=Evil;",
                                 "'single'",     ";",
                                 "\"",           "  ",
                                 "\r\n",         "a\"\"b;;c",
                                 "Data Source=", "Jet OLEDB:Database Password=x",
                                 "тест;пароль"};
  for (const std::string& path : hostile) {
    for (const std::string& password : hostile) {
      const ConnectionParts parts = ParseConnectionText(ConnectionText(path, password));
      EXPECT_EQ(parts.data_source, path) << path << " / " << password;
      EXPECT_EQ(parts.database_password, password) << path << " / " << password;
      EXPECT_EQ(parts.provider, "Microsoft.Jet.OLEDB.4.0");
    }
  }
}

TEST(ConnectionTextTest, ReadsTextsWrittenByOtherHands) {
  ConnectionParts parts = ParseConnectionText(
      "  provider = microsoft.jet.oledb.4.0 ;\r\n data   SOURCE = 'C:\\x y\\db.mdb' ;"
      "JET OLEDB:DATABASE PASSWORD=\"a;b\";Mode=Share Deny None;;");
  EXPECT_EQ(parts.data_source, "C:\\x y\\db.mdb");
  EXPECT_EQ(parts.database_password, "a;b");
  parts = ParseConnectionText("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=  db.mdb  ");
  EXPECT_EQ(parts.data_source, "db.mdb");  // bare values are trimmed, the last ";" optional
  EXPECT_EQ(parts.database_password, "");

  EXPECT_EQ(ErrorNumber("Provider=SQLOLEDB;Data Source=x"), 3706);
  EXPECT_EQ(ErrorNumber("Data Source=x.mdb"), 3706);
  EXPECT_EQ(ErrorNumber("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"x.mdb"), 3001);
  EXPECT_EQ(ErrorNumber("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"x\" y;"), 3001);
  EXPECT_EQ(ErrorNumber("Provider=Microsoft.Jet.OLEDB.4.0;garbage;"), 3001);
  EXPECT_EQ(ErrorNumber("=x;Provider=Microsoft.Jet.OLEDB.4.0"), 3001);
}

}  // namespace
}  // namespace dbaccess::ado
