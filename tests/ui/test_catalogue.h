// The windows the window-engine tests open: a small desk program of their
// own, with a frame and its menus, a list window with tabs, a short list,
// two forms, a dialog, a progress window with a timer, a page chooser and a
// report. Field numbers follow declaration order, as in any catalogue.
#pragma once

#include "ui/catalogue.h"

namespace linkar::ui {

inline constexpr const char* kTestCatalogueText = R"CATALOGUE(
module DESK.vel$desk01
application DESK$FRAME "Desk" at 0 0 400 220 font "MS Sans Serif" 8 icon DESK.ICO resize status -1 70
  menubar
    menu "&File" use FileMenu
      menu "&Open" msg "Open a file of items" use OpenMenu
        item "from &Disk" use OpenFromDisk
        item "from &Net" use OpenFromNet
      end
      item "&Save" use SaveItems
      separator
      item "&Print Setup ..." msg "Setup printer" use PrintSetup std printsetup
      separator
      item "E&xit" msg "Exit this application" use Exit std close
    end
    menu "&View" use ViewMenu
      item "Items" msg "List the items" use ViewItems
      item "Groups" msg "List the groups" use ViewGroups
    end
    menu "&Window" msg "Arrange the windows" use WindowMenu
      item "T&ile" msg "Make all open windows visible" use Tile std tile
      item "&Cascade" msg "Stack all open windows" use Cascade std cascade
      item "&Arrange Icons" msg "Align all window icons" use Arrange std arrange
    end
    menu "&Help" msg "Help" use HelpMenu
      item "&About" msg "About this program" use About
    end
  end
end

module DESK.vel$desk02
window ITEMS$LIST "Items" at 0 0 345 198 font "MS Sans Serif" 8 mdi resize status
  list at 8 26 328 124 use Browse msg "Browsing Records" format "107L|M~Name~@S60@89L|M~Address~@S60@60L|M~Group~@S15@25L|M~Rank~@N2@40L|M~Tag~@s10@"
  button "&Insert" at 191 156 45 14 use Insert
  button "&Change" at 240 156 45 14 use Change
  button "&Delete" at 289 156 45 14 use Delete
  sheet at 4 4 336 172 use CurrentTab
    tab "Name" use TabName
    end
    tab "Address" use TabAddress
    end
    tab "Group" use TabGroup
      button "Groups" at 8 158 45 14 use PickGroup
    end
    tab "Rank" use TabRank
    end
    tab "Tag" use TabTag
    end
  end
  button "Close" at 288 181 45 14 use Close
end
window GROUPS$LIST "Groups" at 0 0 159 188 font "MS Sans Serif" 8 mdi resize status
  list at 8 20 143 120 use Browse msg "Browsing Records" format "60L(0)|M~Group~@s15@"
  button "&Insert" at 8 148 45 14 use Insert
  button "&Change" at 57 148 45 14 use Change
  button "&Delete" at 106 148 45 14 use Delete
  sheet at 4 4 151 140 use CurrentTab
    tab "Group" use TabGroup
    end
  end
  button "Items" at 8 168 45 14 use Items
  button "Close" at 108 168 45 14 use Close
end

module DESK.vel$desk03
window ITEM$FORM "Item Details" at 0 0 312 112 font "MS Sans Serif" 8 mdi status
  sheet at 4 4 304 84 use CurrentTab
    tab "General" use TabGeneral
      prompt "&Name:" at 8 20 use NamePrompt
      entry at 64 20 240 10 pic @S60 size 128 use ITEM:NAME
      prompt "&Address:" at 8 34 use AddressPrompt
      entry at 64 34 240 10 pic @S60 size 60 use ITEM:ADDRESS
      prompt "&Group:" at 8 48 use GroupPrompt
      entry at 64 48 64 10 pic @s15 size 15 use ITEM:GROUP
      prompt "&Rank:" at 8 62 use RankPrompt
      entry at 64 62 40 10 pic @N2 use ITEM:RANK
      prompt "&Tag:" at 8 76 use TagPrompt
      entry at 64 76 44 10 pic @s10 size 10 use ITEM:TAG
    end
    tab "Notes" use TabNotes
      prompt "Notes:" at 8 20 use NotesPrompt
      text at 64 20 240 60 size 500 use ITEM:NOTES msg "Notes on the item"
    end
  end
  button "OK" at 214 92 45 14 use OK default
  button "Cancel" at 263 92 45 14 use Cancel
end
window GROUP$FORM "Group Details" at 0 0 159 138 font "MS Sans Serif" 8 mdi status
  sheet at 4 4 151 112 use CurrentTab
    tab "General" use TabGeneral
      prompt "&Group:" at 8 20 use GroupPrompt
      entry at 48 20 64 10 pic @s15 size 15 use GROUP:NAME
    end
    tab "Items" use TabItems
      list at 8 20 143 74 use Browse msg "Browsing Records" format "60L(0)|M~Name~@S60@60L(0)|M~Group~@S15@"
      button "&Insert" at 8 98 45 14 use Insert
      button "&Change" at 57 98 45 14 use Change
      button "&Delete" at 106 98 45 14 use Delete
    end
  end
  button "OK" at 60 121 45 14 use OK default
  button "Cancel" at 108 121 45 14 use Cancel
end

module DESK.vel$desk04
window SAVE$WINDOW "Save the Items" at 0 0 184 86 font "MS Sans Serif" 8 mdi status
  string "Every item is written to one file;" at 6 4 use Line1
  string "a file of that name is replaced." at 6 14 use Line2
  prompt "Save to file:" at 6 40 use FilePrompt
  entry at 58 40 104 12 pic @s40 size 255 use SaveFileName
  button "..." at 165 40 12 12 use LookupFile
  button "OK" at 52 65 35 14 use OK default
  button "Cancel" at 97 65 36 14 use Cancel
end
window SAVE$PROGRESS "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module DESK.vel$desk05
report ITEMS$REPORT "Item List" at 1000 1720 6000 7280 font Arial 10
  header at 1000 1000 6000 720 use PageHeader
    string "Item List" at 50 50 5900 200 use ReportTitle
    string "Name" at 50 310 1400 170
  end
  detail at 0 0 6000 240 use Detail
    string pic @S15 at 50 50 1400 170 use ITEM:NAME
  end
  footer at 1000 9000 6000 219 use PageFooter
    string pic "@pPage <<<#p" at 4500 30 1450 170 use ReportPageNumber
  end
end
window PAGE$WINDOW "Go to a Page" at 0 0 120 52 font "MS Sans Serif" 8 status
  prompt "Page:" at 8 10 use PagePrompt
  spin at 40 9 50 12 pic @n5 use PageNumber msg "Select a page"
  button "OK" at 14 30 45 14 use OK msg "Go to the selected page" default
  button "Cancel" at 62 30 45 14 use Cancel msg "Cancel this selection"
end
)CATALOGUE";

// The tests' catalogue, parsed once.
inline const Catalogue& testCatalogue() {
  static const Catalogue catalogue = Catalogue::parseCompiled(kTestCatalogueText, "test catalogue");
  return catalogue;
}

}  // namespace linkar::ui
