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
  noPhotosYet: 'This wall has no photos yet.',
  noMatch: 'No photos match this filter.',
  showAll: 'Show all photos',
  manifestUnreadable: 'This wall\u2019s list of photos (manifest.js) cannot be read. Build the wall again with Kestova to repair it.',
  manifestMissing: 'This wall\u2019s list of photos (manifest.js) is missing. Keep index.html in its folder together with manifest.js and the thumbs folder, or build the wall again with Kestova.',

  folderLabel: 'Show photos from folder',
  allFolders: 'All folders ({count})',
  folderOption: '{folder} ({count})',
  rootFolder: 'Not in a subfolder',
  searchPlaceholder: 'Search file names',
  searchLabel: 'Search file names and folders',

  noDate: 'No date',
  photoAlt: '{name}, {date}',
  timelineLabel: 'Timeline',

  viewerLabel: 'Photo',
  close: 'Close',
  previous: 'Previous photo',
  next: 'Next photo',
  openOriginal: 'Open original',
  noPreview: 'No preview',
  position: '{n} of {count}',
  previewOnly: 'This browser cannot show this kind of file; this is its preview.',
  originalMissing: 'The original file could not be opened here; it may have moved or its drive may be offline.'
};
