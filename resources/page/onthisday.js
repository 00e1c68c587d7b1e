// "On this day": when the wall holds photos taken on today's date in earlier years, an entry
// under the title shows how many and, pressed, shows only them (the filter's day, kept in the
// address as #day=MM-DD); pressed again, the whole wall.

import { tr } from './text.js';
import { itemCount } from './media.js';
import { onDayOf, dayKey, dayMonthFormat } from './dates.js';
import { order, monthOf, dateOf, dateKind, isVideoPhoto } from './table.js';
import { filter } from './view.js';
import { scrollToVirtual } from './scroll.js';
import { writeLocation } from './address.js';
import { refresh } from './main.js';

var todayLine = document.getElementById('today-line');
var todayButton = document.getElementById('today');

// One pass over the wall, before it is first laid out so that the header's height is final.
export function findOnThisDay(now) {
  var month = now.getMonth(), day = now.getDate(), year = now.getFullYear();
  var count = 0, videos = 0, years = new Set();
  for (var i = 0; i < order.length; i++) {
    var photo = order[i];
    // The section is the cheap test; most photos are out by it.
    var section = monthOf[photo];
    if (((section % 12) + 12) % 12 !== month) continue;
    if (!onDayOf(dateOf[photo], section, dateKind[photo], month, day, year)) continue;
    count++;
    if (isVideoPhoto(photo)) videos++;
    years.add(Math.floor(section / 12));
  }
  todayLine.hidden = count === 0;
  if (!count) return;
  todayButton.dataset.day = dayKey(now);
  todayButton.textContent = tr('onThisDay', { photos: itemCount(count, videos) });
  todayButton.title = tr('onThisDayTitle', { date: dayMonthFormat.format(now), years: tr('years', { n: years.size }) });
  showToday();
}

// Pressed while the wall shows that day's photos.
export function showToday() {
  todayButton.setAttribute('aria-pressed', String(!!filter.day && filter.day === todayButton.dataset.day));
}

todayButton.addEventListener('click', function () {
  filter.day = filter.day === todayButton.dataset.day ? '' : todayButton.dataset.day;
  writeLocation('push');
  refresh(function () { scrollToVirtual(0); });
});
