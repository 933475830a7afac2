#include "dbaccess/variant.h"

#include <stdexcept>

namespace dbaccess {

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

Variant::Kind Variant::kind() const {
  switch (value_.index()) {
    case 0: return Kind::kEmpty;
    case 1: return Kind::kNull;
    case 2: return Kind::kInteger;
    case 3: return Kind::kText;
    default: return Kind::kBoolean;
  }
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
    case Kind::kNull: return std::string();
    case Kind::kInteger: return std::to_string(std::get<int64_t>(value_));
    case Kind::kText: return std::get<std::string>(value_);
    case Kind::kBoolean: return std::get<bool>(value_) ? "True" : "False";
  }
  return std::string();
}

}  // namespace dbaccess
