package cachetest;

import java.io.StringReader;
import java.time.Duration;
import java.time.LocalDate;
import java.time.format.DateTimeFormatter;
import java.util.List;
import java.util.Map;
import java.util.logging.Level;
import java.util.logging.Logger;
import java.util.regex.Pattern;
import java.util.stream.Collectors;
import java.util.stream.IntStream;
import javax.xml.parsers.DocumentBuilderFactory;
import org.w3c.dom.Document;
import org.xml.sax.InputSource;

/**
 * A small application that touches many classes at start: streams, regular
 * expressions, dates, logging and XML. With the argument "exit" it ends
 * through System.exit instead of returning from main.
 */
public class App {
  public static void main(String[] args) throws Exception {
    Map<Boolean, List<Integer>> parts =
        IntStream.rangeClosed(1, 200).boxed().collect(Collectors.partitioningBy(i -> i % 3 == 0));
    Pattern words = Pattern.compile("(\\w+)@(\\w+)\\.org");
    int matches = (int) words.matcher("a@b.org c@d.org e-f").results().count();
    String date = LocalDate.of(2026, 12, 7).plus(Duration.ofDays(3).toDays(), java.time.temporal.ChronoUnit.DAYS)
        .format(DateTimeFormatter.ISO_LOCAL_DATE);
    Logger logger = Logger.getLogger("cachetest");
    logger.setLevel(Level.WARNING);
    logger.info("not shown");
    Document document = DocumentBuilderFactory.newInstance().newDocumentBuilder()
        .parse(new InputSource(new StringReader("<app><item n='1'/><item n='2'/></app>")));
    int items = document.getElementsByTagName("item").getLength();
    String summary = parts.get(true).size() + " " + matches + " " + date + " " + items;
    if (!summary.equals("66 2 2026-12-10 2")) throw new IllegalStateException(summary);
    if (args.length > 0 && args[0].equals("exit")) System.exit(0);
  }
}
