// Descriptions written in code, for dialogs that ship no stored form: the
// same tree a stored description reads into.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "forms/FormStream.h"

namespace forms {

inline ObjectNode Described(std::string className, std::string name, std::vector<Property> properties,
                            std::vector<ObjectNode> children = {}) {
    return ObjectNode{std::move(className), std::move(name), std::move(properties), std::move(children)};
}

inline std::vector<Property> BoundsOf(int left, int top, int width, int height) {
    return {{"Left", Value::Int(left)}, {"Top", Value::Int(top)}, {"Width", Value::Int(width)},
            {"Height", Value::Int(height)}};
}

inline std::vector<Property> operator+(std::vector<Property> properties, const std::vector<Property>& more) {
    properties.insert(properties.end(), more.begin(), more.end());
    return properties;
}

}  // namespace forms
