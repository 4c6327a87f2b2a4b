#include "app/install/ProductFile.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/install/AFile.h"
#include "common/AnsiText.h"
#include "app/install/InstallNames.h"

bool ReadProductFile(const char* path, Product* product, uint32_t* error) {
  *product = Product();
  AFile file(path);
  uint64_t size = 0;
  if (!file.OpenRead() || !file.Size(&size)) {
    *error = file.Error();
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size < kProductReadLimit ? size : kProductReadLimit));
  if (!bytes.empty() && !file.ReadWhole(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
    *error = file.Error();
    return false;
  }
  *product = ProductFromBytes(std::string(bytes.begin(), bytes.end()));
  return true;
}

Product ProductFromBytes(const std::string& bytes) {
  Product product;
  const ProductLine line = ProductLineFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                std::min<size_t>(bytes.size(), kProductReadLimit), Utf8FromAnsi);
  product.line = line.text;
  product.refusal = line.refusal;
  product.version = line.version;
  std::vector<char> name(line.text.begin(), line.text.end());
  name.push_back('\0');
  CutProductName(name.data());
  product.name = name.data();
  return product;
}

std::string ProductRefusal(const Product& product, TargetKind kind) {
  if (!product.refusal.empty()) return product.refusal;
  return ProductNameRefusal(product.name.c_str(), kind);
}
