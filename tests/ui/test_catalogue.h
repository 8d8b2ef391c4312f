// The windows the window-engine tests open: a small desk program of their
// own, with a frame and its menus, a list window with tabs, a short list, a
// browse whose buttons sit under its list, two forms, a dialog, a progress
// window with a timer, a page chooser and a report. Field numbers follow
// declaration order, as in any catalogue.
#pragma once

#include "ui/catalogue.h"

namespace linkar::ui {

inline constexpr const char* kTestCatalogueText = R"CATALOGUE(
module DESK.vel$desk01
application DESK$FRAME "Desk" at 0 0 360 240 font "MS Sans Serif" 8 icon DESK.ICO resize status -1 80
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
window ITEMS$LIST "Items" at 0 0 320 180 font "MS Sans Serif" 8 mdi resize status
  list at 6 22 240 128 use Browse msg "Browsing Records" format "100L|M~Name~@S60@80L|M~Address~@S60@50L|M~Group~@S15@20R|M~Rank~@N2@36L|M~Tag~@s10@"
  button "&Insert" at 254 22 58 14 use Insert
  button "&Change" at 254 40 58 14 use Change
  button "&Delete" at 254 58 58 14 use Delete
  sheet at 2 2 248 156 use CurrentTab
    tab "Name" use TabName
    end
    tab "Address" use TabAddress
    end
    tab "Group" use TabGroup
      button "Groups" at 10 136 50 12 use PickGroup
    end
    tab "Rank" use TabRank
    end
    tab "Tag" use TabTag
    end
  end
  button "Close" at 254 160 58 14 use Close
end
window GROUPS$LIST "Groups" at 0 0 180 150 font "MS Sans Serif" 8 mdi resize status
  list at 6 18 110 110 use Browse msg "Browsing Records" format "70L(2)|M~Group~@s15@"
  button "&Insert" at 124 18 50 14 use Insert
  button "&Change" at 124 36 50 14 use Change
  button "&Delete" at 124 54 50 14 use Delete
  sheet at 2 2 118 132 use CurrentTab
    tab "All Groups" use TabAll
    end
  end
  button "Items" at 124 100 50 14 use Items
  button "Close" at 124 130 50 14 use Close
end
window LINKS$BROWSE "Links" at 0 0 260 160 font "MS Sans Serif" 8 mdi resize status
  list at 8 22 244 96 use Browse msg "Browsing Records" format "90L|M~&Name~@S40@100L|M~Address~@S60@30R|M~Rank~@N2@"
  button "&Insert" at 111 122 45 14 use Insert
  button "&Change" at 159 122 45 14 use Change
  button "&Delete" at 207 122 45 14 use Delete
  sheet at 4 4 252 136 use CurrentTab
    tab "By Name" use TabName
      button "Pick" at 8 122 40 14 use Pick
    end
    tab "By Rank" use TabRank
    end
  end
  button "Close" at 207 142 45 14 use Close
end

module DESK.vel$desk03
window ITEM$FORM "Item Details" at 0 0 280 130 font "MS Sans Serif" 8 mdi status
  sheet at 2 2 276 104 use CurrentTab
    tab "General" use TabGeneral
      prompt "&Name:" at 6 18 use NamePrompt
      entry at 56 18 210 10 pic @S60 size 128 use ITEM:NAME
      prompt "&Address:" at 6 32 use AddressPrompt
      entry at 56 32 210 10 pic @S60 size 60 use ITEM:ADDRESS
      prompt "&Group:" at 6 46 use GroupPrompt
      entry at 56 46 70 10 pic @s15 size 15 use ITEM:GROUP
      prompt "&Rank:" at 6 60 use RankPrompt
      entry at 56 60 30 10 pic @N2 use ITEM:RANK
      prompt "&Tag:" at 6 74 use TagPrompt
      entry at 56 74 50 10 pic @s10 size 10 use ITEM:TAG
    end
    tab "Notes" use TabNotes
      prompt "Notes:" at 6 18 use NotesPrompt
      text at 56 18 210 70 size 500 use ITEM:NOTES msg "Notes on the item"
    end
  end
  button "OK" at 170 110 50 14 use OK default
  button "Cancel" at 226 110 50 14 use Cancel
end
window GROUP$FORM "Group Details" at 0 0 200 120 font "MS Sans Serif" 8 mdi status
  sheet at 2 2 196 96 use CurrentTab
    tab "General" use TabGeneral
      prompt "&Group:" at 6 18 use GroupPrompt
      entry at 50 18 80 10 pic @s15 size 15 use GROUP:NAME
    end
    tab "Items" use TabItems
      list at 6 18 184 60 use Browse msg "Browsing Records" format "80L|M~Name~@S60@60L|M~Group~@S15@"
      button "&Insert" at 6 80 40 12 use Insert
      button "&Change" at 50 80 40 12 use Change
      button "&Delete" at 94 80 40 12 use Delete
    end
  end
  button "OK" at 90 102 50 14 use OK default
  button "Cancel" at 146 102 50 14 use Cancel
end

module DESK.vel$desk04
window SAVE$WINDOW "Save the Items" at 0 0 200 70 font "MS Sans Serif" 8 mdi status
  string "Every item is written to one file;" at 4 4 use Line1
  string "a file of that name is replaced." at 4 13 use Line2
  prompt "Save to file:" at 4 30 use FilePrompt
  entry at 54 30 120 11 pic @s40 size 255 use SaveFileName
  button "..." at 178 30 14 11 use LookupFile
  button "OK" at 60 50 40 14 use OK default
  button "Cancel" at 106 50 40 14 use Cancel
end
window SAVE$PROGRESS "Progress..." at 0 0 150 64 font "MS Sans Serif" 8 timer 1
  string "0% Completed" at 0 4 150 10 use PercentText
  progress at 10 16 130 10 use ProgressBar
  string at 0 30 150 10 use ActivityText
  button "Cancel" at 50 44 50 14 use Cancel
end

module DESK.vel$desk05
report ITEMS$REPORT "Item List" at 500 1000 7000 9000 font Arial 9
  header at 500 500 7000 400 use PageHeader
    string "Item List" at 0 0 7000 200 use ReportTitle
  end
  detail at 0 0 7000 200 use Detail
    string pic @s20 at 0 0 3000 180 use ITEM:NAME
  end
  footer at 500 10000 7000 200 use PageFooter
    string pic "@pPage <<<#p" at 5500 0 1500 180 use ReportPageNumber
  end
end
window PAGE$WINDOW "Go to a Page" at 0 0 110 48 font "MS Sans Serif" 8 status
  prompt "Page:" at 6 8 use PagePrompt
  spin at 36 7 44 12 pic @n5 use PageNumber msg "Select a page"
  button "OK" at 6 28 45 14 use OK msg "Go to the selected page" default
  button "Cancel" at 58 28 45 14 use Cancel msg "Cancel this selection"
end
)CATALOGUE";

// The tests' catalogue, parsed once.
inline const Catalogue& testCatalogue() {
  static const Catalogue catalogue = Catalogue::parseCompiled(kTestCatalogueText, "test catalogue");
  return catalogue;
}

}  // namespace linkar::ui
