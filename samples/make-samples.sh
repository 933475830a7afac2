#!/usr/bin/env bash
# Builds the two sample databases from work.sql and new.sql with skarnvel-cli:
#   samples/make-samples.sh [path/to/skarnvel-cli [FOLDER [skdb|mdb]]]
# work.EXT is the working database, new.EXT the new one; they differ in every way the
# comparison looks at (tables, columns and their properties, a renamed column, keys and
# unique indexes, relationships and their rules, saved queries). By default the text
# databases kept here are made again; "mdb" makes Jet 4 files (into FOLDER: none is kept
# here, they are made where they are used).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-$here/../build/cli/skarnvel-cli}"
out="${2:-$here}"
ext="${3:-skdb}"
case "$ext" in skdb | mdb) ;; *) echo "make-samples.sh: the kind is skdb or mdb, not $ext" >&2; exit 2 ;; esac

build() {  # build NAME: NAME.sql, then the saved queries given as "name<TAB>sql" lines
  local db="$out/$1.$ext"
  rm -f "$db"
  "$cli" create "$db"
  "$cli" exec "$db" -f "$here/$1.sql"
  while IFS=$'\t' read -r name sql; do
    [ -n "$name" ] || continue
    sql="$(printf '%b.' "$sql")"  # the "." keeps a trailing line break from $(...)
    "$cli" query "$db" create "$name" "${sql%.}"
  done
}

build work <<'QUERIES'
Big orders	SELECT Orders.OrderID, Orders.Amount\r\nFROM Orders\r\nWHERE (((Orders.Amount)>100));\r\n
Old log	SELECT OldLog.Message\r\nFROM OldLog;\r\n
Товары по цене	SELECT Товары.Название, Товары.Цена\r\nFROM Товары\r\nORDER BY Товары.Цена DESC;\r\n
Orders of a customer	PARAMETERS [Customer] Long;\r\nSELECT Orders.*\r\nFROM Orders\r\nWHERE (((Orders.CustomerID)=[Customer]));\r\n
QUERIES

build new <<'QUERIES'
Big orders	SELECT Orders.OrderID, Orders.Amount, Orders.Status\r\nFROM Orders\r\nWHERE (((Orders.Amount)>500));\r\n
Товары по цене	SELECT Товары.Название, Товары.Цена\r\nFROM Товары\r\nORDER BY Товары.Цена DESC;\r\n
orders of a customer	PARAMETERS [Customer] Long;\r\nSELECT Orders.*\r\nFROM Orders\r\nWHERE (((Orders.CustomerID)=[Customer]));\r\n
Товары поставщиков	SELECT Поставщики.Имя, Товары.Название\r\nFROM Поставщики INNER JOIN Товары ON Поставщики.Код = Товары.Поставщик;\r\n
QUERIES

echo "Built $out/work.$ext and $out/new.$ext"
