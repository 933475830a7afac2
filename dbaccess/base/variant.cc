#include "dbaccess/base/variant.h"

#include <stdexcept>

namespace dbaccess {

// kind() reads the alternative's position as the Kind.
static_assert(static_cast<int>(Variant::Kind::kEmpty) == 0 &&
              static_cast<int>(Variant::Kind::kNull) == 1 &&
              static_cast<int>(Variant::Kind::kInteger) == 2 &&
              static_cast<int>(Variant::Kind::kText) == 3 &&
              static_cast<int>(Variant::Kind::kBoolean) == 4);

Variant Variant::Null() {
  Variant v;
  v.value_ = NullTag{};
  return v;
}

Variant Variant::Integer(int64_t value) {
  Variant v;
  v.value_ = value;
  return v;
}

Variant Variant::Text(std::string value) {
  Variant v;
  v.value_ = std::move(value);
  return v;
}

Variant Variant::Boolean(bool value) {
  Variant v;
  v.value_ = value;
  return v;
}

int64_t Variant::AsInteger() const {
  if (const auto* v = std::get_if<int64_t>(&value_)) return *v;
  throw std::logic_error("Variant does not hold an integer");
}

const std::string& Variant::AsText() const {
  if (const auto* v = std::get_if<std::string>(&value_)) return *v;
  throw std::logic_error("Variant does not hold a text");
}

bool Variant::AsBoolean() const {
  if (const auto* v = std::get_if<bool>(&value_)) return *v;
  throw std::logic_error("Variant does not hold a boolean");
}

std::string Variant::DisplayText() const {
  switch (kind()) {
    case Kind::kEmpty:
    case Kind::kNull:
      return std::string();
    case Kind::kInteger:
      return std::to_string(std::get<int64_t>(value_));
    case Kind::kText:
      return std::get<std::string>(value_);
    case Kind::kBoolean:
      return std::get<bool>(value_) ? "True" : "False";
  }
  return std::string();
}

}  // namespace dbaccess
