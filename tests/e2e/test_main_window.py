"""The main window through assistive technology: a whole session, the first
mistakes a user makes, and the keyboard."""
import os
import unittest

import pyatspi

from desk import DravoltCase, checked, descendants, enabled, press, showing, text_of
from support import wait_for

START = "Okay: Quenlar   000 "  # a found tool, with the start inputs


class TypicalSession(DravoltCase):
    def test_locate_the_tool_pick_a_tga_slice_it_and_find_the_location_after_a_restart(self):
        tga = self.make_tga("track.tga")
        first = self.start_dravolt()
        self.wait_status("Locate Quenlar.exe")
        self.assertFalse(enabled(self.button("Browse to source TGA file")))

        # Options page: browse to the tool and keep its location.
        self.page("Options")
        self.assertFalse(enabled(self.button("Apply")))
        press(self.button("Browse to Quenlar.exe"))
        self.pick_file("Browse to Quenlar.exe", self.tool)
        location = self.text_box("Program Location")
        wait_for(lambda: text_of(location) == self.tool, "the tool's path in the location box")
        self.wait_status(START)
        apply = self.button("Apply")
        self.assertTrue(enabled(apply))
        press(apply)
        wait_for(lambda: not enabled(apply), "Apply to grey out after saving")
        self.assertIn("Location=" + self.tool, self.settings_text())

        # Slice page: source, base name, start index, two switches.
        self.page("Slice")
        press(self.button("Browse to source TGA file"))
        self.pick_file("Browse to source TGA file", "track.tga")
        source = self.text_box("Source File")
        wait_for(lambda: text_of(source) == tga, "the picked file in the source box")
        self.set_text("baseFileName", "trk")
        self.set_text("Start Index", "120")
        press(self.check_box("/y wrap vertical border edges"))
        press(self.check_box("/i  wrap internal edges"))
        self.wait_status(f"Okay: Quenlar {tga} trk 120 /iy")

        press(self.button("Slice it"))
        wait_for(lambda: self.tool_runs() == [[tga, "trk", "120", "/iy"]], "the tool to run once")
        # Dravolt stays ready for the next run, with the same inputs.
        self.assertEqual(self.dravolt.windows(), [self.main])
        press(self.button("Slice it"))
        wait_for(lambda: len(self.tool_runs()) == 2, "the tool to run again")
        self.assertEqual(self.tool_runs()[1], [tga, "trk", "120", "/iy"])

        press(self.button("Exit"))
        self.wait_ended(first)

        # The next start fills in the saved location; its loading counts as
        # a change, so Apply is available again.
        self.start_dravolt()
        self.wait_status(START)
        self.assertTrue(enabled(self.button("Browse to source TGA file")))
        self.page("Options")
        self.assertEqual(text_of(self.text_box("Program Location")), self.tool)
        self.assertTrue(enabled(self.button("Apply")))


class FirstMistakes(DravoltCase):
    def test_slice_without_the_tool_sends_the_user_to_the_options_page(self):
        self.start_dravolt()
        self.wait_status("Locate Quenlar.exe")
        press(self.button("Slice it"))
        self.answer_warning("Quenlar.exe Not Found")
        self.assertEqual(self.current_page(), "Options")
        self.wait_focus(pyatspi.ROLE_PUSH_BUTTON, "Browse to Quenlar.exe")
        self.assertEqual(self.tool_runs(), [])

    def test_bad_inputs_are_reported_one_at_a_time_with_the_focus_on_the_field(self):
        tga = self.make_tga("ground.tga")
        self.start_dravolt()
        self.locate_tool()
        self.wait_status(START)

        press(self.button("Slice it"))
        self.answer_warning("No Source File")
        self.assertEqual(self.current_page(), "Slice")
        self.wait_focus(pyatspi.ROLE_PUSH_BUTTON, "Browse to source TGA file")

        # A cancelled dialog closes and Dravolt carries on.
        press(self.button("Browse to source TGA file"))
        self.pick_file("Browse to source TGA file", "ground.tga", cancel=True)

        press(self.button("Browse to source TGA file"))
        self.pick_file("Browse to source TGA file", "ground.tga")
        wait_for(lambda: text_of(self.text_box("Source File")) == tga, "the picked file in the source box")
        press(self.button("Slice it"))
        self.answer_warning("No Base File Name")
        self.wait_focus(pyatspi.ROLE_TEXT, "baseFileName")

        for base, index, message, field in (
                ("grass1", "000", "Base File Name Cannot Exceed 5 Characters", "baseFileName"),
                ("gr", "", "No Start Index", "Start Index"),
                ("gr", "-5", "Start Index Must Be A Positive Value", "Start Index"),
                ("gr", "12", "Start Index Must Be 3 Digits", "Start Index"),
                ("gr", "4a2", "Start Index Must Be An Integer", "Start Index")):
            with self.subTest(base=base, index=index):
                self.set_text("baseFileName", base)
                self.set_text("Start Index", index)
                self.page("Options")  # the check brings the Slice page back
                press(self.button("Slice it"))
                self.answer_warning(message)
                self.assertEqual(self.current_page(), "Slice")
                self.wait_focus(pyatspi.ROLE_TEXT, field)
                # The inputs keep what the user typed.
                self.assertEqual(text_of(self.text_box("Start Index")), index)
        self.assertEqual(self.tool_runs(), [])

        # The picked file vanishes before the run.
        os.remove(tga)
        self.set_text("Start Index", "005")
        press(self.button("Slice it"))
        self.answer_warning(tga + " does not exist")
        self.wait_focus(pyatspi.ROLE_PUSH_BUTTON, "Browse to source TGA file")

        # Saved with RLE compression: Dravolt asks before the start, and No
        # starts nothing.
        self.make_tga("ground.tga", image_type=10)
        press(self.button("Slice it"))
        self.answer_warning("ground.tga is RLE-compressed: save it again without RLE compression\n\n"
                            "Start Quenlar.exe anyway?", "No")
        self.wait_focus(pyatspi.ROLE_PUSH_BUTTON, "Browse to source TGA file")
        self.assertEqual(self.tool_runs(), [])

        self.make_tga("ground.tga")
        press(self.button("Slice it"))
        # Without switches the tool gets three arguments (no empty fourth).
        wait_for(lambda: self.tool_runs() == [[tga, "gr", "005"]], "the tool to run with the mended inputs")

    def test_the_status_line_follows_the_tool_file_on_disk(self):
        self.start_dravolt()
        self.locate_tool()
        self.wait_status(START)
        apply = self.button("Apply")
        self.assertTrue(enabled(apply))

        self.page("Slice")
        source = self.button("Browse to source TGA file")
        self.assertTrue(enabled(source))

        hidden = self.tool + ".away"
        os.rename(self.tool, hidden)
        self.wait_status("Locate Quenlar.exe")
        wait_for(lambda: not enabled(source) and not enabled(apply), "both buttons to grey out")

        os.rename(hidden, self.tool)
        self.wait_status(START)
        wait_for(lambda: enabled(source), "the source button to come back")
        # Apply comes back only with a change of the location text.
        self.assertFalse(enabled(apply))

    def test_the_system_folder_box_fills_in_the_fixed_path(self):
        self.start_dravolt()
        self.locate_tool()
        self.wait_status(START)
        location = self.text_box("Program Location")

        press(self.check_box("Use System folder (win9x only)"))
        wait_for(lambda: text_of(location) == "C:WINDOWS\\COMMAND\\Quenlar.exe", "the fixed path")
        self.assertFalse(enabled(location))
        self.wait_status("Locate Quenlar.exe")
        self.assertFalse(enabled(self.button("Apply")))

        press(self.check_box("Use System folder (win9x only)"))
        wait_for(lambda: text_of(location) == "" and enabled(location), "an empty, usable location box")
        self.wait_status("Locate Quenlar.exe")


class Keyboard(DravoltCase):
    maxDiff = None
    SLICE_PAGE_ORDER = [
        (pyatspi.ROLE_TEXT, "baseFileName"),
        (pyatspi.ROLE_TEXT, "Start Index"),
        (pyatspi.ROLE_PUSH_BUTTON, "Details"),
        (pyatspi.ROLE_CHECK_BOX, "/i  wrap internal edges"),
        (pyatspi.ROLE_CHECK_BOX, "/x  wrap horizontal border edges"),
        (pyatspi.ROLE_CHECK_BOX, "/y wrap vertical border edges"),
        (pyatspi.ROLE_PUSH_BUTTON, "Details"),
        (pyatspi.ROLE_PUSH_BUTTON, "Slice it"),
        (pyatspi.ROLE_PUSH_BUTTON, "Exit"),
        (pyatspi.ROLE_PUSH_BUTTON, "About"),
        (pyatspi.ROLE_PAGE_TAB_LIST, None),
        (pyatspi.ROLE_PUSH_BUTTON, "Browse to source TGA file"),
    ]
    # The location box is out of the cycle while disabled (it is, until the
    # system-folder box is unticked).
    OPTIONS_PAGE_ORDER = [
        (pyatspi.ROLE_PUSH_BUTTON, "Slice it"),
        (pyatspi.ROLE_PUSH_BUTTON, "Exit"),
        (pyatspi.ROLE_PUSH_BUTTON, "About"),
        (pyatspi.ROLE_CHECK_BOX, "Use System folder (win9x only)"),
        (pyatspi.ROLE_PUSH_BUTTON, "Details"),
        (pyatspi.ROLE_PAGE_TAB_LIST, None),
        (pyatspi.ROLE_PUSH_BUTTON, "Browse to Quenlar.exe"),
        (pyatspi.ROLE_PUSH_BUTTON, "Apply"),
    ]

    def tab_cycle(self, length):
        """Where the focus lands on each of `length` presses of Tab."""
        seen = []
        for _ in range(length):
            before = self.focused()
            self.keyboard.keys(self.main, "Tab")
            wait_for(lambda: (lambda f: f is not None and f != before)(self.focused()), "the focus to move")
            f = self.focused()
            seen.append((f.getRole(), None if f.getRole() == pyatspi.ROLE_PAGE_TAB_LIST else f.name))
        return seen

    def start_with_tool(self):
        self.start_dravolt()
        self.locate_tool()
        self.wait_status(START)

    def test_tab_reaches_every_control_of_each_page_in_order(self):
        self.start_with_tool()
        # Apply is enabled by the new location: it is in the cycle.
        system_folder = self.check_box("Use System folder (win9x only)")
        system_folder.queryComponent().grabFocus()
        self.wait_focus(pyatspi.ROLE_CHECK_BOX, system_folder.name)
        order = self.OPTIONS_PAGE_ORDER
        start = order.index((pyatspi.ROLE_CHECK_BOX, system_folder.name))
        self.assertEqual(self.tab_cycle(len(order)), order[start + 1:] + order[:start + 1])

        self.page("Slice")
        self.text_box("baseFileName").queryComponent().grabFocus()
        self.wait_focus(pyatspi.ROLE_TEXT, "baseFileName")
        order = self.SLICE_PAGE_ORDER
        self.assertEqual(self.tab_cycle(len(order)), order[1:] + order[:1])

    def test_the_location_box_can_be_typed_into_once_the_system_folder_box_is_unticked(self):
        self.start_dravolt()
        self.page("Options")
        location = self.text_box("Program Location")
        self.assertFalse(enabled(location))
        self.keyboard.keys(self.main, "alt+u")
        wait_for(lambda: text_of(location) == "C:WINDOWS\\COMMAND\\Quenlar.exe", "the fixed path")
        self.keyboard.keys(self.main, "alt+u")
        wait_for(lambda: enabled(location) and text_of(location) == "", "an empty, usable location box")
        self.wait_focus(pyatspi.ROLE_CHECK_BOX, "Use System folder (win9x only)")
        self.keyboard.keys(self.main, "shift+Tab")
        self.wait_focus(pyatspi.ROLE_TEXT, "Program Location")
        self.keyboard.type(self.main, self.tool)
        self.wait_status(START)
        self.assertTrue(enabled(self.button("Apply")))

    def test_the_tab_row_switches_pages_with_the_arrow_keys(self):
        self.start_dravolt()
        self.assertEqual(self.current_page(), "Slice")
        tabs = self.control(pyatspi.ROLE_PAGE_TAB_LIST, "Slice")
        tabs.queryComponent().grabFocus()
        self.keyboard.keys(self.main, "Right")
        wait_for(lambda: self.current_page() == "Options", "the Options page")
        self.assertTrue(showing(self.text_box("Program Location")))
        self.keyboard.keys(self.main, "Left")
        wait_for(lambda: self.current_page() == "Slice", "the Slice page")

    def test_access_keys_move_the_focus_and_press_the_buttons(self):
        tga = self.make_tga("track.tga")
        self.start_with_tool()
        self.page("Slice")
        self.keyboard.keys(self.main, "alt+n")
        self.wait_focus(pyatspi.ROLE_TEXT, "baseFileName")
        self.keyboard.type(self.main, "trk")
        self.keyboard.keys(self.main, "alt+a")
        self.wait_focus(pyatspi.ROLE_TEXT, "Start Index")
        # A check box's access key ticks it (a button's presses it after a
        # short flash, so one key at a time).
        for key, box, ticked in (("alt+i", "/i  wrap internal edges", True),
                                 ("alt+h", "/x  wrap horizontal border edges", True),
                                 ("alt+v", "/y wrap vertical border edges", True),
                                 ("alt+h", "/x  wrap horizontal border edges", False)):
            self.keyboard.keys(self.main, key)
            wait_for(lambda: checked(self.check_box(box)) == ticked, f"{key} to tick or untick {box!r}")
            self.wait_focus(pyatspi.ROLE_CHECK_BOX, box)
        self.wait_status("Okay: Quenlar  trk 000 /iy")

        # Alt+S with the source missing: the check's warning.
        self.keyboard.keys(self.main, "alt+s")
        self.answer_warning("No Source File")

        press(self.button("Browse to source TGA file"))
        self.pick_file("Browse to source TGA file", "track.tga")
        self.wait_status(f"Okay: Quenlar {tga} trk 000 /iy")
        self.keyboard.keys(self.main, "alt+s")
        wait_for(lambda: self.tool_runs() == [[tga, "trk", "000", "/iy"]], "Alt+S to run the tool")

        # On the Options page Alt+A is Apply, Alt+U the system-folder box.
        self.page("Options")
        self.keyboard.keys(self.main, "alt+a")
        wait_for(lambda: "Location=" + self.tool in self.settings_text(), "Alt+A to save the location")
        self.keyboard.keys(self.main, "alt+u")
        wait_for(lambda: checked(self.check_box("Use System folder (win9x only)")), "Alt+U to tick the box")

        program = self.dravolt
        self.keyboard.keys(self.main, "alt+x")
        self.wait_ended(program)

    def test_every_control_has_a_name(self):
        self.start_with_tool()
        roles = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_PAGE_TAB}
        for page in ("Slice", "Options"):
            self.page(page)
            controls = [a for a in descendants(self.main)
                        if a.getRole() in roles and showing(a)]
            self.assertGreater(len(controls), 5)
            for control in controls:
                self.assertTrue(control.name.strip(), f"a nameless {control.getRoleName()} on {page}")
        # The status line reads out as its text.
        self.assertEqual(self.status(), START)
        self.assertEqual(self.current_page(), "Options")
