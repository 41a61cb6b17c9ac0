// libFuzzer target: LayeredImage loading, the composite, per-layer pixels,
// edits and saving. Anything that loads must save to bytes that load again
// to the same document, with the section lengths true after every edit.
#include "layered_image/LayeredImage.h"

#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkLengths(const vl2::LayeredImage& d)
{
    check(d.imageResourcesLength() == d.computedResourcesLength());
    check(d.layerInfoLength() == d.computedLayerInfoLength());
    check(d.layerAndMaskLength() == d.computedLayerMaskLength());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vl2::LayeredImage d;
    if (!d.loadPsd(data, size))
        return 0;
    checkLengths(d);
    check(d.composite().size() == std::size_t(d.width()) * std::size_t(d.height()));
    for (int k = 0; k < d.layerCount(); ++k)
        (void)d.layerPixels(k);
    const auto bytes = d.serialize();
    check(bytes.size() == size);
    for (std::size_t i = 0; i < size; ++i)
        check(bytes[i] == data[i]);

    // Edits on small canvases (larger ones only cost time).
    if (std::size_t(d.width()) * std::size_t(d.height()) <= 4096 && d.colourMode() == 3) {
        const std::uint8_t block[5] = {1, 2, 3, 4, 5};
        // loadLayerData takes the first layer of the name, so only a name the
        // document does not have yet must give the block back.
        const bool fresh = d.findLayer("$fuzz") < 0;
        if (d.storeLayerData("$fuzz", 5, block) && fresh) {
            checkLengths(d);
            const auto back = d.loadLayerData("$fuzz");
            check(back && back->size() == 5 && (*back)[4] == 5);
        }
        d.removeLayer(1);
        checkLengths(d);
        const int i = d.addLayer("abc");
        checkLengths(d);
        std::uint32_t px[4] = {0xff0000ffu, 0x80ff00ffu, 0, 0xffffffffu};
        if (i >= 0)
            d.setLayerPixels(i, -1, -1, 1, 1, px);
        checkLengths(d);
        d.updateComposite();
        const auto edited = d.serialize();
        vl2::LayeredImage again;
        check(again.loadPsd(edited.data(), edited.size()));
        check(again.serialize() == edited);
    }
    return 0;
}
