#include "product/Models.h"

#include <algorithm>
#include <cctype>

namespace corvane::product {

namespace {

// A model name as a user may give it: upper case, without the "KRT-" or "KRT" in front.
std::string BareName(std::string_view text) {
    std::string name;
    for (char c : text) {
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (std::string_view prefix : {"KRT-", "KRT"}) {
        if (name.starts_with(prefix)) {
            return name.substr(prefix.size());
        }
    }
    return name;
}

std::vector<const Model*> ByPrecedence(std::span<const Model> models) {
    std::vector<const Model*> rows;
    for (const Model& model : models) {
        rows.push_back(&model);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Model* a, const Model* b) {
        return a->usbPrecedence < b->usbPrecedence;
    });
    return rows;
}

}  // namespace

std::span<const Model> Models() {
    return kModels;
}

const Family& FamilyFacts(PrinterModel family) {
    return kFamilies[family == PrinterModel::Krt620 ? 1 : 0];
}

const Model* ModelNamed(std::string_view reportedName, std::span<const Model> models) {
    auto it = std::find_if(models.begin(), models.end(),
                           [&](const Model& model) { return model.name == reportedName; });
    return it == models.end() ? nullptr : &*it;
}

const Model* FindModel(std::string_view text, std::span<const Model> models) {
    const std::string wanted = BareName(text);
    auto it = std::find_if(models.begin(), models.end(),
                           [&](const Model& model) { return BareName(model.name) == wanted; });
    return it == models.end() ? nullptr : &*it;
}

std::vector<Model> ModelsOf(PrinterModel family, std::span<const Model> models) {
    std::vector<Model> rows;
    std::copy_if(models.begin(), models.end(), std::back_inserter(rows),
                 [family](const Model& model) { return model.family == family; });
    return rows;
}

const Model* ModelWithUsbIds(UsbIds ids, std::span<const Model> models) {
    auto it = std::find_if(models.begin(), models.end(),
                           [&](const Model& model) { return model.usb == ids; });
    return it == models.end() ? nullptr : &*it;
}

std::vector<UsbIds> UsbIdsByPrecedence(std::span<const Model> models) {
    std::vector<UsbIds> ids;
    for (const Model* model : ByPrecedence(models)) {
        ids.push_back(model->usb);
    }
    return ids;
}

std::uint16_t UsbVendorOf(PrinterModel family, std::span<const Model> models) {
    for (const Model* model : ByPrecedence(models)) {
        if (model->family == family) {
            return model->usb.vendorId;
        }
    }
    return 0;
}

std::vector<std::string_view> ModelNames(std::span<const Model> models) {
    std::vector<std::string_view> names;
    for (const Model& model : models) {
        names.push_back(model.name);
    }
    return names;
}

}  // namespace corvane::product
