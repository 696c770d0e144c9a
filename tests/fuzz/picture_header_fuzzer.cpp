// The size a splash picture's header declares, read from any bytes.
#include "splash/splash_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const splash::DeclaredSize declared = splash::ReadDeclaredSize(data, size);
  // Only the four signatures are known; a size comes only with one.
  const bool signature = size >= 2 && ((data[0] == 'B' && data[1] == 'M') || data[0] == 'G' || data[0] == 0xFF ||
                                       data[0] == 0x89);
  fuzz::Require(!declared.known || signature);
  fuzz::Require(declared.known || (declared.width == 0 && declared.height == 0));
  // The input cut short by one byte: never a read past its end (the sanitizer
  // watches), and the kind depends only on the signature.
  if (size > 0) {
    const splash::DeclaredSize cut = splash::ReadDeclaredSize(data, size - 1);
    fuzz::Require(cut.known == declared.known || size - 1 < 8);
  }
  return 0;
}
