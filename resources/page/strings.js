// Every text the page shows, by name, in English: the one table a translation replaces.
// {name} stands for a value filled in when the text is used; a text given as { one, other }
// depends on the number {n} (by the language's plural rules).
// The page's HTML takes its texts from here too: the build writes {{name}} as this table's text.

var strings = {
  pageTitle: 'Photos',
  wallLabel: 'Photos',
  noScript: 'This wall needs JavaScript to show your photos.',
  loading: 'Loading photos\u2026',
  arranging: 'Arranging {photos}\u2026',
  photos: { one: '{n} photo', other: '{n} photos' },
  someOfPhotos: '{shown} of {photos}',
  withPairs: '{count} ({pairs})',
  pairs: { one: 'a raw and JPEG pair shown once', other: '{n} raw and JPEG pairs shown once' },
  noPhotosYet: 'This wall has no photos yet.',
  noMatch: 'No photos match this filter.',
  showAll: 'Show all photos',
  manifestUnreadable: 'This wall\u2019s list of photos (manifest.js) cannot be read. Build the wall again with Kestova to repair it.',
  manifestMissing: 'This wall\u2019s list of photos (manifest.js) is missing. Keep index.html in its folder together with manifest.js and the thumbs folder, or build the wall again with Kestova.',

  folderLabel: 'Show photos from folder',
  allFolders: 'All folders ({count})',
  folderOption: '{folder} ({count})',
  rootFolder: 'Not in a subfolder',
  searchPlaceholder: 'Search names and dates',
  searchLabel: 'Search file names, folders and dates',

  noDate: 'No date',
  dateFromFolderName: 'date from folder name',
  dateFromFileName: 'date from file name',
  photoAlt: '{name}, {date}',
  timelineLabel: 'Timeline',

  shortcutsTitle: 'Keyboard shortcuts',
  done: 'Done',
  keysArrows: 'Move between photos',
  keysOpen: 'Open the photo',
  keysPage: 'Scroll a screen up or down',
  keysEnds: 'Go to the newest or the oldest photo',
  keysTimeline: 'Go to the timeline (then \u2191 \u2193 by month, Page Up and Page Down by year)',
  keysGoto: 'Go to a date',
  keysSearch: 'Search',
  keysHelp: 'Show these shortcuts',
  keysViewerStep: 'In a photo: the previous or next photo',
  keysClose: 'Close the photo or this list',
  gotoTitle: 'Go to a date',
  gotoPlaceholder: 'June 2019, 2019-06 or 2015',
  gotoHint: 'Type a year, or a month and a year, and press Enter.',
  gotoNone: 'The wall holds no photos from then.',

  viewerLabel: 'Photo',
  close: 'Close',
  previous: 'Previous photo',
  next: 'Next photo',
  openOriginal: 'Open original',
  openRaw: 'Raw file ({type})',
  noPreview: 'No preview',
  position: '{n} of {count}',
  previewOnly: 'This browser cannot show this kind of file; this is its preview.',
  originalMissing: 'The original file could not be opened here; it may have moved or its drive may be offline.'
};
