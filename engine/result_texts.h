// The result texts the comparisons write into their result records. They are the contract
// between the comparisons and the action lists: the lists colour rows by them and the
// query run chooses its action by them, so every text lives here once.
#ifndef SKARNVEL_ENGINE_RESULT_TEXTS_H_
#define SKARNVEL_ENGINE_RESULT_TEXTS_H_

#include <string_view>

namespace uAlg {

// Table and column results of CompareTables.
inline constexpr std::string_view kNewTable = "Новая таблица";
inline constexpr std::string_view kDroppedTable = "Удалена таблица";
inline constexpr std::string_view kNewField = "Новое поле";
inline constexpr std::string_view kDroppedField = "Удалено поле";
inline constexpr std::string_view kChangedFieldProps = "Разные свойства поля";

// Primary key and unique index results of CompareIndexes.
inline constexpr std::string_view kDroppedPrimaryKey = "Удален первичный ключ";
inline constexpr std::string_view kDroppedUniqueIndex = "Удален уникальный индекс";
inline constexpr std::string_view kNewPrimaryKey = "Новый первичный ключ";
inline constexpr std::string_view kNewUniqueIndex = "Новый уникальный индекс";

// Relation results of CompareRelations.
inline constexpr std::string_view kDroppedRelation = "Удален внешний ключ";
inline constexpr std::string_view kChangedRelationRules = "Разные правила связи";
inline constexpr std::string_view kNewRelation = "Новый внешний ключ";

// Saved query results of CompareQueries and the action word of each.
inline constexpr std::string_view kDroppedQuery = "Удален запрос";
inline constexpr std::string_view kDeleteQueryAction = "Удалить запрос";
inline constexpr std::string_view kChangedQueryText = "Разный текст запроса";
inline constexpr std::string_view kReplaceQueryAction = "Заменить запрос";
inline constexpr std::string_view kNewQuery = "Новый запрос";
inline constexpr std::string_view kAddQueryAction = "Добавить запрос";

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_RESULT_TEXTS_H_
