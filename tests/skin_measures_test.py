#!/usr/bin/env python3
"""How far apart the sample skins' pieces stay, for normal colour vision and
the three dichromacies: the colour arithmetic against published values, the
Contrast skins against their promise, and the README's table against the
skins as shipped."""
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tools"))
import skin_measures as sm  # noqa: E402


def linear(rgb):
    return tuple(sm.to_linear(c) for c in rgb)


class ColourArithmetic(unittest.TestCase):
    # Sharma, Wu and Dalal (2005), "The CIEDE2000 color-difference formula:
    # implementation notes, supplementary test data, and mathematical
    # observations", table 1: pairs 1, 7, 13 and 15 (mean hue either side of
    # its turn at 180 degrees), 17, 25 and 33 (near black).
    SHARMA_PAIRS = (
        ((50.0000, 2.6772, -79.7751), (50.0000, 0.0000, -82.7485), 2.0425),
        ((50.0000, 0.0000, 0.0000), (50.0000, -1.0000, 2.0000), 2.3669),
        ((50.0000, 2.4900, -0.0010), (50.0000, -2.4900, 0.0009), 7.1792),
        ((50.0000, 2.4900, -0.0010), (50.0000, -2.4900, 0.0011), 7.2195),
        ((50.0000, 2.5000, 0.0000), (73.0000, 25.0000, -18.0000), 27.1492),
        ((60.2574, -34.0099, 36.2677), (60.4626, -34.1751, 39.4387), 1.2644),
        ((2.0776, 0.0795, -1.1350), (0.9033, -0.0636, -0.5514), 0.9082),
    )

    def test_ciede2000_gives_the_published_differences_both_ways_round(self):
        for i, (one, other, expected) in enumerate(self.SHARMA_PAIRS):
            with self.subTest(pair=i, one=one, other=other):
                self.assertAlmostEqual(sm.ciede2000(one, other), expected, places=4)
                self.assertAlmostEqual(sm.ciede2000(other, one), expected, places=4)

    def test_srgb_primaries_land_on_their_published_cielab_values(self):
        for rgb, expected in (((255, 0, 0), (53.2408, 80.0925, 67.2032)),
                              ((0, 0, 255), (32.2970, 79.1875, -107.8602)),
                              ((255, 255, 255), (100.0, 0.0, 0.0))):
            with self.subTest(rgb=rgb):
                for got, want in zip(sm.lab(linear(rgb)), expected):
                    self.assertAlmostEqual(got, want, places=3, msg="Lab of %s: %s" % (rgb, sm.lab(linear(rgb))))

    def test_every_simulation_keeps_greys_grey(self):
        # Each row of the published matrices sums to one; a mistyped digit
        # tints white, black stays black.
        for kind in sm.SIMULATIONS:
            for level in (1.0, 0.5):
                with self.subTest(kind=kind, level=level):
                    seen = sm.simulate((level, level, level), kind)
                    for channel in seen:
                        self.assertAlmostEqual(channel, level, places=5, msg="grey %s seen as %s" % (level, seen))

    def test_a_red_and_green_pair_apart_to_normal_eyes_fails_under_deuteranopia(self):
        # White first: the close pair is the last two, the pair a loop that
        # stops one short would miss.
        measures = sm.smallest_differences([linear((255, 255, 255)), linear((220, 60, 60)), linear((110, 150, 50))])
        self.assertGreater(measures["none"], 30.0, measures)
        self.assertGreater(measures["tritanopia"], 30.0, measures)
        self.assertLess(measures["deuteranopia"], 3.0, measures)
        self.assertLess(min(measures.values()), sm.ENOUGH, measures)

    def test_a_piece_colour_is_the_linear_mean_of_its_own_pixels(self):
        # sRGB 128 is 0.215861 in linear light: half grey, half white
        # averages to 0.607930, not the 0.751 of the sRGB values.
        ground, grey, white = (30, 30, 30), (128, 128, 128), (255, 255, 255)
        cell = [[ground] * 4, [ground, grey, white, ground], [ground, white, grey, ground], [ground] * 4]
        colour = sm.piece_colour(cell)
        for got in colour:
            self.assertAlmostEqual(got, 0.607930, places=5, msg="mean of grey and white: %s" % (colour,))
        self.assertEqual(sum(map(sum, sm.silhouette(cell))), 4, "the piece is the four middle pixels")


class ShippedSkins(unittest.TestCase):
    CONTRAST = ("Contrast", "Contrast Large")

    def test_the_contrast_skins_keep_every_pair_apart_under_every_simulation(self):
        for name in self.CONTRAST:
            measures = sm.measure_skin(name)
            for kind, smallest in measures.items():
                with self.subTest(skin=name, simulation=kind):
                    self.assertGreaterEqual(smallest, sm.ENOUGH, "%s with %s: closest pair %.1f apart"
                                            % (name, kind, smallest))

    def test_the_contrast_skins_shapes_differ_in_a_fifth_of_a_cell(self):
        for name in self.CONTRAST:
            _, cells = sm.read_skin(name)
            masks = [sm.silhouette(cell) for cell in cells]
            for i in range(len(masks)):
                for j in range(i + 1, len(masks)):
                    with self.subTest(skin=name, pieces=(i, j)):
                        share = sm.silhouette_difference(masks[i], masks[j])
                        self.assertGreaterEqual(share, 0.20, "%s pieces %d and %d differ in %.0f %% of a cell"
                                                % (name, i, j, 100 * share))

    def test_the_readme_table_states_every_shipped_skin_as_measured(self):
        with open(os.path.join(sm.ROOT, "README.md"), encoding="utf-8") as f:
            readme = f.read()
        rows = {}
        for line in readme.splitlines():
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            if len(cells) == 6 and re.fullmatch(r"\d+\.\d", cells[1]):
                rows[cells[0]] = cells[1:]
        self.assertEqual(sorted(rows), sm.shipped_skins(), "skins in the README's table")
        for name in sm.shipped_skins():
            with self.subTest(skin=name):
                measures = sm.measure_skin(name)
                stated = rows[name]
                self.assertEqual(stated[:4], ["%.1f" % measures[k] for k in sm.COLUMNS],
                                 "%s: README says %s" % (name, stated))
                if min(measures.values()) < sm.BAD:
                    self.assertIn("hard to tell apart", stated[4], "%s fails badly and says nothing" % name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
