// The program's windows, menus and reports in the catalogue's text form,
// parsed once on first use (see ui/catalogue.cpp for the grammar). Field
// numbers are not written: they follow declaration order. Window positions
// are in dialog units, report positions in thousandths of an inch.

#include "app/catalogue.h"

namespace linkar::app {
namespace {

constexpr const char* kCatalogueText = R"CATALOGUE(
# ---------------------------------------------------------------- Main
module LINKAR.vel$linka001
application MAIN$APPFRAME "Linkar" at 0 0 400 220 font "MS Sans Serif" 8 icon LINKAR.ICO resize status -1 70
  menubar
    menu "&File" use FileMenu
      menu "&Import" msg "Import URL information from various file type" use ImportMenu
        item "from &ASCII" use ImportFromASCII
        item "from &HTML" use ImportFromHTML
        item "from &Other" use ImportFromOther
      end
      item "&Export" use ExportItem
      separator
      item "&Print Setup ..." msg "Setup printer" use PrintSetup std printsetup
      separator
      item "E&xit" msg "Exit this application" use Exit std close
    end
    menu "&Browse" use BrowseMenu
      item "Locations" msg "Browse LINKAR" use BrowseLINKAR
      item "Categories" msg "Browse Categories" use BrowseCategories
    end
    menu "&Reports" msg "Report data" use ReportMenu
      menu "Locations" use ReportLocationsMenu
        item "Print by Description" msg "Print ordered by Description" use PrintURL:K_DESCRIPTION
        item "Print by Location" msg "Print ordered by Location key" use PrintURL:K_LOCATION
        item "Print by Category" msg "Print ordered by Category key" use PrintURL:K_CATEGORY
        item "Print by Rating" msg "Print ordered by Rating key" use PrintURL:K_RATING
        item "Print by Keyword" msg "Print ordered by Keyword key" use PrintURL:K_KEYWORD
      end
      item "Categories" msg "Print ordered by Category key" use PrintCAT:K_CATEGORY
    end
    menu "&Window" msg "Create and Arrange windows" use WindowMenu
      item "T&ile" msg "Make all open windows visible" use Tile std tile
      item "&Cascade" msg "Stack all open windows" use Cascade std cascade
      item "&Arrange Icons" msg "Align all window icons" use Arrange std arrange
    end
    menu "&Help" msg "Windows Help" use HelpMenu
      item "&About" msg "About This Program" use About
    end
  end
end

# ---------------------------------------------------------------- BrowseLINKAR
module LINKAR.vel$linka002
window BROWSELINKAR$QUICKWINDOW "Browse Locations" at 0 0 345 198 font "MS Sans Serif" 8 mdi resize status
  list at 8 26 328 124 use Browse msg "Browsing Records" format "107L|M~Description~@S60@89L|M~Location~@S60@60L|M~Category~@S15@25L|M~Rating~@N2@40L|M~Keyword~@s10@"
  button "&Insert" at 191 156 45 14 use Insert
  button "&Change" at 240 156 45 14 use Change
  button "&Delete" at 289 156 45 14 use Delete
  sheet at 4 4 336 172 use CurrentTab
    tab "Description" use TabDescription
    end
    tab "Location" use TabLocation
    end
    tab "Category" use TabCategory
      button "Categories" at 8 158 45 14 use SelectCategory
    end
    tab "Rating" use TabRating
    end
    tab "Keyword" use TabKeyword
    end
  end
  button "Close" at 288 181 45 14 use Close
end

# ---------------------------------------------------------------- UpdateLINKAR
module LINKAR.vel$linka003
window UPDATELINKAR$QUICKWINDOW "Update Location Information" at 0 0 312 112 font "MS Sans Serif" 8 mdi status
  sheet at 4 4 304 84 use CurrentTab
    tab "General" use TabGeneral
      prompt "&Location:" at 8 20 use LocationPrompt
      entry at 64 20 240 10 pic @S60 size 128 use URL:LOCATION
      prompt "&Description:" at 8 34 use DescriptionPrompt
      entry at 64 34 240 10 pic @S60 size 60 use URL:DESCRIPTION
      prompt "&Category:" at 8 48 use CategoryPrompt
      entry at 64 48 64 10 pic @s15 size 15 use URL:CATEGORY
      prompt "&Rating:" at 8 62 use RatingPrompt
      entry at 64 62 40 10 pic @N2 use URL:RATING
      prompt "&Keyword:" at 8 76 use KeywordPrompt
      entry at 64 76 44 10 pic @s10 size 10 use URL:KEYWORD
    end
    tab "SiteInfo" use TabSiteInfo
      prompt "Site Info:" at 8 20 use SiteInfoPrompt
      text at 64 20 240 60 size 500 use URL:SiteInfo msg "Information about site"
    end
  end
  button "OK" at 214 92 45 14 use OK default
  button "Cancel" at 263 92 45 14 use Cancel
end

# ---------------------------------------------------------------- BrowseCategories
module LINKAR.vel$linka004
window BROWSECATEGORIES$QUICKWINDOW "Browse Categories" at 0 0 159 188 font "MS Sans Serif" 8 mdi resize status
  list at 8 20 143 120 use Browse msg "Browsing Records" format "60L(0)|M~Category~@s15@"
  button "&Insert" at 8 148 45 14 use Insert
  button "&Change" at 57 148 45 14 use Change
  button "&Delete" at 106 148 45 14 use Delete
  sheet at 4 4 151 140 use CurrentTab
    tab "Category" use TabCategory
    end
  end
  button "Locations" at 8 168 45 14 use Locations
  button "Close" at 108 168 45 14 use Close
end

# ---------------------------------------------------------------- UpdateCategories
module LINKAR.vel$linka005
window UPDATECATEGORIES$QUICKWINDOW "Update Categories" at 0 0 159 138 font "MS Sans Serif" 8 mdi status
  sheet at 4 4 151 112 use CurrentTab
    tab "General" use TabGeneral
      prompt "&Category:" at 8 20 use CategoryPrompt
      entry at 48 20 64 10 pic @s15 size 15 use CAT:Category
    end
    tab "Locations" use TabLocations
      list at 8 20 143 74 use Browse msg "Browsing Records" format "60L(0)|M~Location~@S60@60L(0)|M~Description~@S60@60L(0)|M~Category~@S15@8L(0)|M~Rating~@N2@40L(0)|M~Keyword~@s10@"
      button "&Insert" at 8 98 45 14 use Insert
      button "&Change" at 57 98 45 14 use Change
      button "&Delete" at 106 98 45 14 use Delete
    end
  end
  button "OK" at 60 121 45 14 use OK default
  button "Cancel" at 108 121 45 14 use Cancel
end

# ---------------------------------------------------------------- SelectCategories
module LINKAR.vel$linka006
window SELECTCATEGORIES$QUICKWINDOW "Select a Category" at 0 0 158 188 font "MS Sans Serif" 8 mdi resize status
  list at 8 20 142 140 use Browse msg "Browsing Records" format "60L(0)|M~Category~@s15@"
  button "&Select" at 8 168 45 14 use Select
  sheet at 4 4 150 160 use CurrentTab
    tab "Category" use TabCategory
    end
  end
  button "Close" at 105 168 45 14 use Close
end

# ---------------------------------------------------------------- BrowseURL:K_Category
module LINKAR.vel$linka007
window BROWSEURL:K_CATEGORY$QUICKWINDOW "Browse Location by Category" at 0 0 299 188 font "MS Sans Serif" 8 mdi resize status
  list at 8 20 283 124 use Browse msg "Browsing Records" format "60L(0)|M~Location~@S60@60L(0)|M~Description~@S60@60L(0)|M~Category~@S15@8L(0)|M~Rating~@N2@40L(0)|M~Keyword~@s10@"
  button "&Insert" at 153 149 45 14 use Insert
  button "&Change" at 199 149 45 14 use Change
  button "&Delete" at 245 149 45 14 use Delete
  sheet at 4 4 291 162 use CurrentTab
    tab "Category" use TabCategory
    end
  end
  button "Close" at 244 168 45 14 use Close
end

# ---------------------------------------------------------------- SelectCategory
module LINKAR.vel$linka008
window SELECTCATEGORY$QUICKWINDOW "Category Assignment" at 0 0 191 123 font "MS Sans Serif" 8 mdi status
  list at 8 20 175 72 use Browse msg "Browsing Records" format "60L(0)|M~Category~@s15@"
  button "&Select" at 44 99 45 14 use Select
  sheet at 4 4 183 92 use CurrentTab
    tab "Select Category" use TabSelectCategory
    end
  end
  button "Best Guess" at 100 99 45 14 use BestGuess
end

# ---------------------------------------------------------------- imports and export
module LINKAR.vel$linka009
window IMPORTASCII$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module LINKAR.vel$linka010
window IMPORTHTML$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module LINKAR.vel$linka011
window IMPORTOTHER$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module LINKAR.vel$linka012
window EXPORT$WINDOW "Export to HTML Document" at 0 0 184 86 font "MS Sans Serif" 8 mdi status
  string "This will export your entire URL location database " at 6 4 use Line1
  string "to a standard HTML document.  Note that the file" at 6 14 use Line2
  string "you specify will be overwritten if it exists." at 6 24 use Line3
  prompt "Export to file:" at 6 40 use FilePrompt
  entry at 58 40 104 12 pic @s40 size 255 use TransferFileName
  button "..." at 165 40 12 12 use LookupFile
  button "OK" at 52 65 35 14 use OK default
  button "Cancel" at 97 65 36 14 use Cancel
end

module LINKAR.vel$linka013
window EXPORTTOHTML$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

# ---------------------------------------------------------------- reports
module LINKAR.vel$linka014
report PRINTURL:K_LOCATION$REPORT "Print Locations" at 1000 1720 6000 7280 font Arial 10
  header at 1000 1000 6000 720 use PageHeader
    string "Print Locations" at 50 50 5900 200 use ReportTitle
    string "Location" at 50 310 1400 170
    string "Description" at 1550 310 1400 170
    string "Category" at 3050 310 1400 170
    string "Rating" at 4550 310 1400 170
    string "Keyword" at 50 490 1400 170
  end
  detail at 0 0 6000 420 use Detail
    string pic @S60 at 50 50 1400 170 use URL:LOCATION
    string pic @S60 at 1550 50 1400 170 use URL:DESCRIPTION
    string pic @S15 at 3050 50 1400 170 use URL:CATEGORY
    string pic @N2 at 4550 50 1400 170 use URL:RATING
    string pic @s10 at 50 230 1400 170 use URL:KEYWORD
  end
  footer at 1000 9000 6000 219 use PageFooter
    string pic "@pPage <<<#p" at 4500 30 1450 170 use ReportPageNumber
  end
end
window PRINTURL:K_LOCATION$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module LINKAR.vel$linka015
report PRINTURL:K_CATEGORY$REPORT "Print Locations by Category" at 1000 1720 6000 7280 font Arial 10
  header at 1000 1000 6000 720 use PageHeader
    string "Print Locations by Category" at 50 50 5900 200 use ReportTitle
    string "Location" at 50 310 1400 170
    string "Description" at 1550 310 1400 170
    string "Category" at 3050 310 1400 170
    string "Rating" at 4550 310 1400 170
    string "Keyword" at 50 490 1400 170
  end
  detail at 0 0 6000 420 use Detail
    string pic @S60 at 50 50 1400 170 use URL:LOCATION
    string pic @S60 at 1550 50 1400 170 use URL:DESCRIPTION
    string pic @S15 at 3050 50 1400 170 use URL:CATEGORY
    string pic @N2 at 4550 50 1400 170 use URL:RATING
    string pic @s10 at 50 230 1400 170 use URL:KEYWORD
  end
  footer at 1000 9000 6000 219 use PageFooter
    string pic "@pPage <<<#p" at 4500 30 1450 170 use ReportPageNumber
  end
end
window PRINTURL:K_CATEGORY$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module LINKAR.vel$linka016
report PRINTURL:K_RATING$REPORT "Print Locations by Rating" at 1000 1720 6000 7280 font Arial 10
  header at 1000 1000 6000 720 use PageHeader
    string "Print Locations by Rating" at 50 50 5900 200 use ReportTitle
    string "Location" at 50 310 1400 170
    string "Description" at 1550 310 1400 170
    string "Category" at 3050 310 1400 170
    string "Rating" at 4550 310 1400 170
    string "Keyword" at 50 490 1400 170
  end
  detail at 0 0 6000 420 use Detail
    string pic @S60 at 50 50 1400 170 use URL:LOCATION
    string pic @S60 at 1550 50 1400 170 use URL:DESCRIPTION
    string pic @S15 at 3050 50 1400 170 use URL:CATEGORY
    string pic @N2 at 4550 50 1400 170 use URL:RATING
    string pic @s10 at 50 230 1400 170 use URL:KEYWORD
  end
  footer at 1000 9000 6000 219 use PageFooter
    string pic "@pPage <<<#p" at 4500 30 1450 170 use ReportPageNumber
  end
end
window PRINTURL:K_RATING$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module LINKAR.vel$linka017
report PRINTURL:K_KEYWORD$REPORT "Print Locations by Keyword" at 1000 1720 6000 7280 font Arial 10
  header at 1000 1000 6000 720 use PageHeader
    string "Print Locations by Keyword" at 50 50 5900 200 use ReportTitle
    string "Location" at 50 310 1400 170
    string "Description" at 1550 310 1400 170
    string "Category" at 3050 310 1400 170
    string "Rating" at 4550 310 1400 170
    string "Keyword" at 50 490 1400 170
  end
  detail at 0 0 6000 420 use Detail
    string pic @S60 at 50 50 1400 170 use URL:LOCATION
    string pic @S60 at 1550 50 1400 170 use URL:DESCRIPTION
    string pic @S15 at 3050 50 1400 170 use URL:CATEGORY
    string pic @N2 at 4550 50 1400 170 use URL:RATING
    string pic @s10 at 50 230 1400 170 use URL:KEYWORD
  end
  footer at 1000 9000 6000 219 use PageFooter
    string pic "@pPage <<<#p" at 4500 30 1450 170 use ReportPageNumber
  end
end
window PRINTURL:K_KEYWORD$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module LINKAR.vel$linka018
report PRINTURL:K_DESCRIPTION$REPORT "Report Locations by Description" at 1000 1720 6000 7280 font Arial 10
  header at 1000 1000 6000 720 use PageHeader
    string "Report Locations by Description" at 50 50 5900 200 use ReportTitle
    string "Location" at 50 310 1400 170
    string "Description" at 1550 310 1400 170
    string "Category" at 3050 310 1400 170
    string "Rating" at 4550 310 1400 170
    string "Keyword" at 50 490 1400 170
  end
  detail at 0 0 6000 420 use Detail
    string pic @S60 at 50 50 1400 170 use URL:LOCATION
    string pic @S60 at 1550 50 1400 170 use URL:DESCRIPTION
    string pic @S15 at 3050 50 1400 170 use URL:CATEGORY
    string pic @N2 at 4550 50 1400 170 use URL:RATING
    string pic @s10 at 50 230 1400 170 use URL:KEYWORD
  end
  footer at 1000 9000 6000 219 use PageFooter
    string pic "@pPage <<<#p" at 4500 30 1450 170 use ReportPageNumber
  end
end
window PRINTURL:K_DESCRIPTION$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

module LINKAR.vel$linka019
report PRINTCAT:K_CATEGORY$REPORT "Print Categories" at 1000 1720 6000 7280 font Arial 10
  header at 1000 1000 6000 720 use PageHeader
    string "Print Categories" at 50 50 5900 200 use ReportTitle
    string "Category" at 50 310 1400 170
  end
  detail at 0 0 6000 240 use Detail
    string pic @s15 at 50 50 1400 170 use CAT:Category
  end
  footer at 1000 9000 6000 219 use PageFooter
    string pic "@pPage <<<#p" at 4500 30 1450 170 use ReportPageNumber
  end
end
window PRINTCAT:K_CATEGORY$PROGRESSWINDOW "Progress..." at 0 0 142 59 font "MS Sans Serif" 8 timer 1
  progress at 15 15 111 12 use ProgressBar
  string "0% Completed" at 0 3 141 10 use PercentText
  string at 0 30 141 10 use ActivityText
  button "Cancel" at 45 42 50 15 use Cancel
end

# ---------------------------------------------------------------- report preview
module LINKAR.vel$linka020
window REPORTPREVIEW$PREVIEWWINDOW "Print Preview" at 0 0 300 180 font "MS Sans Serif" 8 mdi resize status -1 60 60 60
  menubar
    item "&Cancel!" msg "Cancel the printing of this report" use CancelPrint immediate
    item "&Print!" msg "Print this report" use PrintReport immediate
    item "&Zoom In!" msg "Zoom in on a page of this report" use Zoom immediate
    item "&Previous Page!" msg "View the previous page(s) of this report" use PreviousPage immediate
    item "&Next Page!" msg "View the next page(s) of this report" use NextPage immediate
    item "&Jump!" msg "Jump to a selected page of the report" use JumpPage immediate
    item "&Facing Pages!" msg "View the report two pages at a time" use FacingPages immediate
  end
  box at 9 2 136 176 use LeftFrame
  image at 9 2 136 176 use LeftImage
  region at 9 2 136 176 use LeftRegion
  box at 155 2 136 176 use RightFrame
  image at 155 2 136 176 use RightImage
  region at 155 2 136 176 use RightRegion
  box at 84 2 136 176 use CentreFrame hidden
  image at 84 2 136 176 use CentreImage hidden
  region at 84 2 136 176 use CentreRegion hidden
  image at 0 0 300 180 use ZoomImage hidden
end
window REPORTPREVIEW$JUMPWINDOW "Jump to a Report Page" at 0 0 120 52 font "MS Sans Serif" 8 status
  prompt "Page:" at 8 10 use PagePrompt
  spin at 40 9 50 12 pic @n5 use JumpPageNumber msg "Select a page of the report"
  button "OK" at 14 30 45 14 use OK msg "Jump to the selected page" default
  button "Cancel" at 62 30 45 14 use Cancel msg "Cancel this selection"
end

# ---------------------------------------------------------------- shared functions
module LINKAR.vel$linka_sf
)CATALOGUE";

}  // namespace

const ui::Catalogue& programCatalogue() {
  static const ui::Catalogue catalogue = ui::Catalogue::parseCompiled(kCatalogueText, "program catalogue");
  return catalogue;
}

}  // namespace linkar::app
