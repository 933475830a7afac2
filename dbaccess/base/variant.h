// A small tagged value: empty, null, integer, text or boolean.
//
// This is what a field of a schema rowset holds and what a column property of the
// structure snapshot holds. Texts are UTF-8. Equality (==) is structural: same kind and
// same value; the looser comparison rules of the structure comparison live in engine/.
#ifndef SKARNVEL_DBACCESS_BASE_VARIANT_H_
#define SKARNVEL_DBACCESS_BASE_VARIANT_H_

#include <cstdint>
#include <string>
#include <variant>

namespace dbaccess {

class Variant {
 public:
  enum class Kind { kEmpty, kNull, kInteger, kText, kBoolean };

  Variant() = default;  // empty
  static Variant Null();
  static Variant Integer(int64_t value);
  static Variant Text(std::string value);
  static Variant Boolean(bool value);

  // The alternatives of value_ are in the order of Kind.
  Kind kind() const { return static_cast<Kind>(value_.index()); }
  bool IsEmpty() const { return kind() == Kind::kEmpty; }
  bool IsNull() const { return kind() == Kind::kNull; }
  bool IsInteger() const { return kind() == Kind::kInteger; }
  bool IsText() const { return kind() == Kind::kText; }
  bool IsBoolean() const { return kind() == Kind::kBoolean; }

  // Typed reads; each throws std::logic_error when the value is of another kind.
  int64_t AsInteger() const;
  const std::string& AsText() const;
  bool AsBoolean() const;

  // Empty and null give "", an integer its decimal digits, a boolean "True" or "False",
  // a text itself.
  std::string DisplayText() const;

  friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  std::variant<std::monostate, NullTag, int64_t, std::string, bool> value_;
};

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_BASE_VARIANT_H_
