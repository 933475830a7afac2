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

// The lists: page captions and the column titles of the grids.
inline constexpr std::string_view kPageTables = "Таблицы";
inline constexpr std::string_view kPageIndexes = "Индексы";
inline constexpr std::string_view kPageRelations = "Связи";
inline constexpr std::string_view kPageQueries = "Запросы";
inline constexpr std::string_view kColumnTable = "Таблица";
inline constexpr std::string_view kColumnField = "Поле";
inline constexpr std::string_view kColumnProperty = "Свойство поля";
inline constexpr std::string_view kColumnOldValue = "Старое значение св-ва";
inline constexpr std::string_view kColumnNewValue = "Новое значение св-ва";
inline constexpr std::string_view kColumnResult = "Результат сравнения";
inline constexpr std::string_view kColumnTableCommand = "SQL-Команда";  // the table list's
inline constexpr std::string_view kColumnCommand = "SQL-команда";       // the other lists'
inline constexpr std::string_view kColumnQuery = "Запрос";
inline constexpr std::string_view kColumnAction = "Действие";
inline constexpr std::string_view kColumnOldQueryText = "Старый текст запроса";
inline constexpr std::string_view kColumnNewQueryText = "Новый текст запроса";

// Saving the lists.
inline constexpr std::string_view kSaveCaption = "Подтверждение сохранения результатов сравнения";
inline constexpr std::string_view kSaveQuestion = "Сохранить результаты сравнения?";
inline constexpr std::string_view kClosedListHead = "Не удалось сохранить список действий \"";
inline constexpr std::string_view kClosedListTail = "\": список закрыт после неудачной загрузки";

// Progress of long work.
inline constexpr std::string_view kProgressTables = "Сравнение таблиц";
inline constexpr std::string_view kProgressIndexes = "Сравнение индексов";
inline constexpr std::string_view kProgressRelations = "Сравнение связей";
inline constexpr std::string_view kProgressQueries = "Сравнение запросов";
inline constexpr std::string_view kProgressRunTables = "Выполнение действий: таблицы";
inline constexpr std::string_view kProgressRunIndexes = "Выполнение действий: индексы";
inline constexpr std::string_view kProgressRunRelations = "Выполнение действий: связи";
inline constexpr std::string_view kProgressRunQueries = "Выполнение действий: запросы";
inline constexpr std::string_view kProgressBackup = "Создание копии рабочей БД";

// The data check and the trial run.
inline constexpr std::string_view kProgressDataCheck = "Проверка данных";
inline constexpr std::string_view kDataPage = "Проверка данных";
inline constexpr std::string_view kFindingDash = " — ";
inline constexpr std::string_view kFindingNoRisk = "данные не затрагиваются";
inline constexpr std::string_view kFindingMoot =
    "не понадобится: таблица или связь удалена одним из предыдущих действий";
inline constexpr std::string_view kFindingRowsLost = "будут потеряны все строки таблицы: ";
inline constexpr std::string_view kFindingValuesLost = "будут потеряны значения поля: ";
inline constexpr std::string_view kFindingValuesChanged =
    "значения поля изменятся при преобразовании: ";
inline constexpr std::string_view kFindingValuesRefused =
    "значения поля не подходят к новому типу или размеру: ";
inline constexpr std::string_view kFindingTooLong = "длиннее нового размера: ";
inline constexpr std::string_view kFindingOverflow = "вне диапазона: ";
inline constexpr std::string_view kFindingMismatch = "не преобразуются: ";
inline constexpr std::string_view kFindingNulls = "строки без значения (Null): ";
inline constexpr std::string_view kFindingDuplicates = "повторяющиеся значения ключа: ";
inline constexpr std::string_view kFindingOrphansHead = "строки без связанной записи в таблице [";
inline constexpr std::string_view kFindingOrphansTail = "]: ";
inline constexpr std::string_view kFindingExamples = "например: ";
inline constexpr std::string_view kFindingRefused = "действие будет отклонено";
inline constexpr std::string_view kFindingRefusedBy = "действие будет отклонено: ";
inline constexpr std::string_view kDataCheckStartLine = "Проверка данных ";
inline constexpr std::string_view kDataCheckNothing = "Проверка данных: данные не под угрозой";
inline constexpr std::string_view kDataCheckSafeCount = "Действий, не затрагивающих данные: ";
inline constexpr std::string_view kDataLossCaption = "Потеря данных";
inline constexpr std::string_view kDataLossQuestionHead =
    "Эти действия приведут к потере данных:\r";
inline constexpr std::string_view kDataLossQuestionTail =
    "Выполнить их? (Нет: выполнить остальные действия без них)";
inline constexpr std::string_view kDataLossSkippedLine = "Пропущено (потеря данных): ";
inline constexpr std::string_view kDataLossStoppedLine =
    "Ничего не выполнено: действия приведут к потере данных";
inline constexpr std::string_view kTrialStartLine = "Пробный запуск на копии ";
inline constexpr std::string_view kTrialLeftLine = "После пробного запуска осталось различий: ";
inline constexpr std::string_view kTrialNothingLeftLine =
    "После пробного запуска различий не осталось";
inline constexpr std::string_view kTrialDoneLine =
    "Пробный запуск окончен; рабочая БД не изменена, копия удалена";

// The command line's answers as it shows them.
inline constexpr std::string_view kAnswerYes = "да";
inline constexpr std::string_view kAnswerNo = "нет";
inline constexpr std::string_view kAnswerCancel = "отмена";

// Errors of an action list. These and the following are pieces of longer messages, joined
// with names and numbers where they are used.
inline constexpr char kListValueHead[] = "Значение ";
inline constexpr char kListNotForBooleanColumn[] = " не подходит для логического столбца ";
inline constexpr char kListBooleanValuesHint[] = " (допустимы True и False)";
inline constexpr char kListColumnWithoutName[] = "У столбца списка действий нет имени";
inline constexpr char kListStringColumnHead[] = "У строкового столбца ";
inline constexpr char kListBadWidth[] = " неверная ширина";
inline constexpr char kListColumnHead[] = "Столбец ";
inline constexpr char kGivenTwice[] = " указан дважды";
inline constexpr char kListRowHead[] = "Строка ";
inline constexpr char kListRowHolds[] = " содержит ";
inline constexpr char kListValuesInsteadOf[] = " значений вместо ";
inline constexpr char kListNoColumn[] = "В списке действий нет столбца ";
inline constexpr char kListFindNamed[] = "Для поиска названо ";
inline constexpr char kListFindColumnsAnd[] = " столбцов и ";
inline constexpr char kListFindValues[] = " значений";
inline constexpr char kListRowNotInEdit[] = "Строка списка действий не открыта для изменения";
inline constexpr char kListNoColumnNumber[] = "В списке действий нет столбца номер ";
inline constexpr char kListClosed[] = "Список действий закрыт";
inline constexpr char kListNoCurrentRow[] = "В списке действий нет текущей строки";
inline constexpr char kListNoRowNumber[] = "В списке действий нет строки номер ";

// Errors of reading and writing a list file.
inline constexpr char kXmlNoElement[] = "в файле нет ни одного элемента XML";
inline constexpr char kXmlEndTagMismatch[] =
    "закрывающий тег отсутствует или не соответствует открывающему (файл обрезан?)";
inline constexpr char kXmlBadStartTag[] = "ошибка в открывающем теге";
inline constexpr char kXmlBadAttribute[] = "ошибка в атрибуте";
inline constexpr char kXmlBadEndTag[] = "ошибка в закрывающем теге";
inline constexpr char kXmlOutOfMemory[] = "недостаточно памяти для чтения файла";
inline constexpr char kXmlOtherError[] = "ошибка разметки";
inline constexpr char kXmlBrokenHead[] = "нарушена разметка XML: ";
inline constexpr char kXmlAtCharacter[] = " (символ ";
inline constexpr char kFileColumnNumberHead[] = "у описания столбца номер ";
inline constexpr char kFileColumnWithoutName[] = " нет имени (";
inline constexpr char kFileBadColumnName[] = "недопустимое имя столбца ";
inline constexpr char kFileColumnHead[] = "столбец ";
inline constexpr char kFileDescribedTwice[] = " описан дважды";
inline constexpr char kFileStringColumnHead[] = "у строкового столбца ";
inline constexpr char kFileBadWidth[] = " неверная ширина ";
inline constexpr char kFileUnsupportedType[] = " имеет неподдерживаемый тип ";
inline constexpr char kFileInRow[] = "в строке ";
inline constexpr char kFileValue[] = " значение ";
inline constexpr char kFileOfColumn[] = " столбца ";
inline constexpr char kFileNotBoolean[] = " не является логическим (";
inline constexpr char kFileOr[] = " или ";
inline constexpr char kFileValueOfColumn[] = " значение столбца ";
inline constexpr char kFileBadCharacterReference[] = " содержит недопустимую ссылку на символ";
inline constexpr char kFileUnknownColumn[] = " указан неизвестный столбец ";
inline constexpr char kFileColumnInRow[] = " столбец ";
inline constexpr char kFileNoElement[] = "нет элемента ";
inline constexpr char kFileInsideTail[] = " внутри ";
inline constexpr char kListLoadFailed[] = "Не удалось загрузить список действий из файла ";
inline constexpr char kListSaveFailed[] = "Не удалось сохранить список действий в файл ";
inline constexpr char kFileColumnNameHead[] = "имя столбца ";
inline constexpr char kFileNameNotWritable[] = " нельзя записать в файл списка действий";
inline constexpr char kFileBadCharacter[] =
    " содержит символ с кодом 0 или недопустимую последовательность байтов";
inline constexpr char kFileEmpty[] = "файл пуст";
inline constexpr char kFileNotAList[] = "это не список действий: вместо единственного элемента ";
inline constexpr char kFileElementFound[] = " найден элемент ";
inline constexpr char kFileInside[] = "внутри ";

// Errors of files: the head of every file error and the reasons of the system's errors.
inline constexpr char kFileErrorHead[] = "Файл \"";
inline constexpr char kSystemNoEntry[] = "файл или папка не существует";
inline constexpr char kSystemNoAccess[] = "нет прав доступа";
inline constexpr char kSystemReadOnly[] = "диск доступен только для чтения";
inline constexpr char kSystemNoSpace[] = "нет места на диске";
inline constexpr char kSystemQuota[] = "превышена дисковая квота";
inline constexpr char kSystemIsFolder[] = "это папка, а не файл";
inline constexpr char kSystemNotFolder[] = "часть пути не является папкой";
inline constexpr char kSystemBusy[] = "файл занят другой программой";
inline constexpr char kSystemNameTooLong[] = "слишком длинное имя файла";
inline constexpr char kSystemIo[] = "ошибка ввода-вывода";
inline constexpr char kSystemNoMemory[] = "недостаточно памяти";
inline constexpr char kSystemOther[] = "системная ошибка ";

}  // namespace actions::texts

#endif  // SKARNVEL_ACTIONS_WORKBENCH_TEXTS_H_