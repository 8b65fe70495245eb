#include "CartFixture.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "model/Cart.h"

#include <gtest/gtest.h>

namespace {

using CartArchive = CartFixture;

nlohmann::json archived(const Cart& cart) {
    KivKeyedEncoder coder;
    coder.encodeObject(cart, "cart");
    EXPECT_FALSE(coder.failed()) << coder.error();
    return coder.storedForm();
}

std::shared_ptr<Cart> decoded(nlohmann::json stored, std::string* error = nullptr) {
    KivKeyedDecoder coder(std::move(stored));
    auto cart = coder.decodeObjectForKey<Cart>("cart");
    if (error != nullptr) {
        *error = coder.error();
    }
    return coder.failed() ? nullptr : cart;
}

TEST_F(CartArchive, RoundTripKeepsNameSizeAndCueIndexes) {
    auto cart = addCart({3, 2});
    cart->setName("Act 2");
    cart->setCue(makeCue("z.wav", "Z", 50), 4);
    cart->setCue(makeCue("a.wav"), 0);

    const nlohmann::json stored = archived(*cart);
    const nlohmann::json& form = stored["cart"];
    EXPECT_EQ(form["$class"], "Pondra");
    EXPECT_EQ(form["name"], "Act 2");
    EXPECT_TRUE(form["cues"].contains("6"));
    EXPECT_TRUE(form["cues"].contains("0"));

    const auto back = decoded(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name(), "Act 2");
    EXPECT_EQ(back->size(), (CartSize{3, 2}));
    ASSERT_EQ(back->count(), 2u);
    const auto z = back->cueAtInternalIndex(6);
    ASSERT_TRUE(z);
    EXPECT_EQ(z->hotkey(), "Z");
    EXPECT_EQ(z->midiNote(), 50);
    EXPECT_EQ(z->cart(), back.get());
}

TEST_F(CartArchive, SizesAreRepairedAndNamesOptional) {
    auto stored = archived(Cart());
    stored["cart"]["size"] = {{"width", 0}, {"height", 0}};
    stored["cart"].erase("name");
    auto zero = decoded(stored);
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->size(), (CartSize{5, 4}));
    EXPECT_EQ(zero->name(), "");

    stored["cart"]["size"] = {{"width", 8}, {"height", 0}};
    EXPECT_EQ(decoded(stored)->size(), (CartSize{5, 1}));

    stored["cart"].erase("size");
    EXPECT_EQ(decoded(stored)->size(), (CartSize{5, 4}));
}

TEST_F(CartArchive, BadValuesFailTheArchive) {
    auto cart = std::make_shared<Cart>();
    cart->setSize({5, 5});
    cart->setCue(makeCue(), 24);
    const auto stored = archived(*cart);
    std::string error;

    auto beyond = stored;
    beyond["cart"]["cues"]["25"] = beyond["cart"]["cues"]["24"];
    EXPECT_FALSE(decoded(beyond, &error));
    EXPECT_NE(error.find("25 cells"), std::string::npos) << error;

    auto badSize = stored;
    badSize["cart"]["size"] = "{4, 4}";
    EXPECT_FALSE(decoded(badSize, &error));
    EXPECT_NE(error.find("size"), std::string::npos) << error;
}

} // namespace
