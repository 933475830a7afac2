// The program's own texts that the workbench shows, writes or looks for, each in one place.
// In these texts \r is the line break of a message box.
#ifndef SKARNVEL_ACTIONS_WORKBENCH_TEXTS_H_
#define SKARNVEL_ACTIONS_WORKBENCH_TEXTS_H_

#include <string_view>

namespace actions::texts {

// The path check.
inline constexpr std::string_view kFilePrefix = "Файл ";
inline constexpr std::string_view kMissingWorkingDb =
    " не существует!\rНеобходимо выбрать рабочую БД.";
inline constexpr std::string_view kMissingNewDb = " не существует!\rНеобходимо выбрать новую БД.";
// A folder named where a database file is expected.
inline constexpr std::string_view kFolderWorkingDb =
    " является папкой, а не файлом БД!\rНеобходимо выбрать рабочую БД.";
inline constexpr std::string_view kFolderNewDb =
    " является папкой, а не файлом БД!\rНеобходимо выбрать новую БД.";
// Added to the engine's "Not a valid password." to say whose password it was.
inline constexpr std::string_view kWrongPasswordWorkingDb = "Пароль не подходит к рабочей БД: ";
inline constexpr std::string_view kWrongPasswordNewDb = "Пароль не подходит к новой БД: ";

// Marks in the command text of a result.
inline constexpr std::string_view kRepeatedMark = "^";
inline constexpr std::string_view kRenamedMark = "-";

// DAO commands.
inline constexpr std::string_view kDaoPrefix = "DAO.";
inline constexpr std::string_view kDaoClearRequired = "DAO.Снять_обязательность_поля ";
inline constexpr std::string_view kDaoSetRequired = "DAO.Установить_обязательность_поля ";
inline constexpr std::string_view kDaoRename = "DAO.Переименовать_поле ";
inline constexpr std::string_view kDaoRenameArrow = " -> ";
inline constexpr std::string_view kDaoClearRequiredWord = "DAO.Снять_обязательность_поля";
inline constexpr std::string_view kDaoSetRequiredWord = "DAO.Установить_обязательность_поля";
inline constexpr std::string_view kDaoRenameWord = "DAO.Переименовать_поле";
inline constexpr std::string_view kDaoConnectPrefix = ";PWD=";
inline constexpr std::string_view kDaoEngineClass = "DAO.DBEngine.36";

// Table list results the builder writes itself.
inline constexpr std::string_view kRenamedField = "Переименовано поле";
inline constexpr std::string_view kFieldNameProp = "Имя поля";
inline constexpr std::string_view kNotNullProp = "NotNull";
inline constexpr std::string_view kTableColumnKeys = "TABLE_NAME;COLUMN_NAME";

// Lines of the message pane and the questions of the runs.
inline constexpr std::string_view kSuccessPrefix = "Успешно: ";
inline constexpr std::string_view kErrorPrefix = "Ошибка: ";
inline constexpr std::string_view kStatementSeparator = ";";
inline constexpr std::string_view kDropTable = "DROP TABLE";
inline constexpr std::string_view kAlterColumn = "ALTER COLUMN";
inline constexpr std::string_view kDropColumn = "DROP COLUMN";
inline constexpr std::string_view kRunErrorCaption =
    "Подтверждение выполнения следующих SQL-запросов";
inline constexpr std::string_view kRunErrorText = "Невозможно выполнить:\r";
inline constexpr std::string_view kErrorTextRule = "---";
inline constexpr std::string_view kContinueQuestion = "Продолжить?";

// The relation check.
inline constexpr std::string_view kFilterPkTable = "(PK_TABLE_NAME=";
inline constexpr std::string_view kFilterClose = ")";
inline constexpr std::string_view kFilterOrFkTable = " or (FK_TABLE_NAME=";
inline constexpr std::string_view kFilterAndPkColumn = " and PK_COLUMN_NAME=";
inline constexpr std::string_view kFilterAndFkColumn = " and FK_COLUMN_NAME=";
inline constexpr std::string_view kRelationCaption = "Подтверждение удаления связей";
inline constexpr std::string_view kRelationTablePrefix = "Таблица ";
inline constexpr std::string_view kRelationQuestion =
    " участвует в связи(ях).\r Удалить связь(и) и продолжить?";
inline constexpr std::string_view kRelationFieldPrefix = "Поле ";
inline constexpr std::string_view kDropConstraintHead = "ALTER TABLE [";
inline constexpr std::string_view kDropConstraintMiddle = "] DROP CONSTRAINT [";
inline constexpr std::string_view kDropConstraintTail = "]";

// Joining the columns of a primary key.
inline constexpr std::string_view kKeyColumnsEnd = " )";
inline constexpr std::string_view kKeyColumnOpen = ",[";
inline constexpr std::string_view kKeyColumnClose = "] )";

// The query run.
inline constexpr std::string_view kQueryErrorCaption =
    "Подтверждение выполнения следующих действий";
inline constexpr std::string_view kQueryErrorText = "Невозможно выполнить действие:\r";

// Run-all.
inline constexpr std::string_view kRunAllCaption = "Подтверждение изменений";
inline constexpr std::string_view kRunAllQuestion =
    "Выполнить отмеченные действия для рабочей БД:\r";
inline constexpr std::string_view kQuestionMark = "?";
inline constexpr std::string_view kCopyCaption = "Создание копии";
inline constexpr std::string_view kCopyQuestion = "Создать копию рабочей БД:\r";
inline constexpr std::string_view kCopyFailedLine = "Ошибка: Невозможно создать копию ";
inline constexpr std::string_view kCopyFailedMessage = "Невозможно создать копию.";
inline constexpr std::string_view kCopyMadeLine = "Создана копия ";
inline constexpr std::string_view kChangesStartLine = "Начало изменений ";
inline constexpr std::string_view kChangesDoneLine = "Изменения выполнены ";
inline constexpr std::string_view kChangesDoneMessage = "Изменения выполнены.";
inline constexpr std::string_view kBackupSeparator = "_";
inline constexpr std::string_view kBackupExtension = ".mdb";
inline constexpr std::string_view kLogExtension = ".log";
inline constexpr std::string_view kUnattendedSwitch = "/fon";

// The window's state texts.
inline constexpr std::string_view kCaptionCountSeparator = " - ";
inline constexpr std::string_view kTotalPrefix = "Всего изменений - ";

// A grid's question before it deletes a row.
inline constexpr std::string_view kConfirmCaption = "Подтверждение";
inline constexpr std::string_view kDeleteRowQuestion = "Удалить запись?";

// The window's colours: result texts and tab captions.
inline constexpr std::string_view kNewMark = "Нов";
inline constexpr std::string_view kDroppedMark = "Удален";
inline constexpr std::string_view kTabCountMark = "-";

}  // namespace actions::texts

#endif  // SKARNVEL_ACTIONS_WORKBENCH_TEXTS_H_